/* An executable that only carries the resources linked into it. */
int main(void) {
  return 0;
}
