#include "cli/Jobs.h"

#include <algorithm>
#include <thread>

#include "checkfile/ParallelDigests.h"
#include "cli/Console.h"
#include "cli/FullName.h"
#include "platform/Path.h"
#include "platform/StorageKind.h"

namespace cli {

namespace {

constexpr unsigned kMaxJobs = 256;

unsigned Cores() {
  return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxJobs);
}

// The folder whose medium counts: the FOLDER of make and update, the folder of check's
// CHECKFILE.
std::string MediumFolder(TaskKind kind, const std::string& operand) {
  const std::string full = FullName(operand);
  if (kind != TaskKind::Verification) return full;
  const std::string folder = platform::FolderPartOf(full);
  return folder.empty() ? "." : folder;
}

JobChoice ChoiceFor(platform::StorageKind kind) {
  switch (kind) {
    case platform::StorageKind::SolidState:
      return {Cores(), "solid-state storage"};
    case platform::StorageKind::Memory:
      return {Cores(), "memory-backed storage"};
    case platform::StorageKind::Rotating:
      return {1, "rotating disk"};
    case platform::StorageKind::Optical:
      return {1, "optical drive"};
    case platform::StorageKind::Network:
      return {1, "network share"};
    case platform::StorageKind::Unknown:
      break;
  }
  return {1, "the kind of storage cannot be told"};
}

}  // namespace

JobChoice ChooseJobs(TaskKind kind, const std::string& operand, std::optional<unsigned> asked) {
  if (asked) return {*asked, "as asked"};
  return ChoiceFor(platform::StorageKindOf(MediumFolder(kind, operand)));
}

std::string JobChoiceLine(const JobChoice& choice) {
  return "vrtly: " + std::to_string(choice.Count) + (choice.Count == 1 ? " job (" : " jobs (") +
         choice.Reason + ")\n";
}

std::unique_ptr<checkfile::DigestSource> MakeDigestSource(unsigned jobs) {
  if (jobs <= 1) return std::make_unique<checkfile::DigestOnRequest>();
  return std::make_unique<checkfile::ParallelDigests>(jobs, InterruptRequested);
}

}  // namespace cli
