#include "checkfile/LaneFiles.h"

#include <algorithm>

#include "digest/CryptoUtils.h"

namespace checkfile {

LaneFiles::LaneFiles(std::unique_ptr<digest::Md5Lanes> engine, unsigned maxOpen)
    : engine_(std::move(engine)), lanes_(std::clamp(maxOpen, 1u, engine_->Width())) {}

unsigned LaneFiles::FreeLanes() const {
  return static_cast<unsigned>(
      std::count_if(lanes_.begin(), lanes_.end(), [](const Lane& lane) { return !lane.used; }));
}

void LaneFiles::Add(uint64_t id, const std::string& path, std::vector<Result>& finished) {
  const auto free =
      std::find_if(lanes_.begin(), lanes_.end(), [](const Lane& lane) { return !lane.used; });
  const auto lane = static_cast<unsigned>(free - lanes_.begin());
  Lane& slot = lanes_[lane];
  slot.used = true;
  slot.id = id;
  if (const int32_t code = digest::OpenForDigest(path, slot.reading); code != digest::HASH_OK) {
    Finished(lane, code, std::string(), finished);
    return;
  }
  engine_->Start(lane);
  FeedNextPiece(lane, finished);
}

void LaneFiles::FeedNextPiece(unsigned lane, std::vector<Result>& finished) {
  Lane& slot = lanes_[lane];
  uint32_t length = 0;
  const digest::FileReading::Piece piece =
      slot.reading.Next(slot.buffer.get(), kPieceBytes, length);
  if (piece == digest::FileReading::Piece::Failed) {
    engine_->Stop(lane);
    Finished(lane, digest::HASH_READ_FAILED, std::string(), finished);
    return;
  }
  engine_->Feed(lane, slot.buffer.get(), length);
  if (piece == digest::FileReading::Piece::Last) engine_->Finish(lane);
}

void LaneFiles::RunUntilOneFinishes(std::vector<Result>& finished,
                                    const std::function<bool()>& stopped) {
  const size_t before = finished.size();
  while (finished.size() == before && Busy() && !stopped()) {
    const uint32_t attention = engine_->Run();
    for (unsigned lane = 0; lane < lanes_.size(); ++lane) {
      if ((attention >> lane & 1u) == 0) continue;
      if (engine_->Phase(lane) == digest::LanePhase::Done) {
        digest::Md5Digest bytes;
        engine_->TakeDigest(lane, bytes);
        std::string text;
        digest::AppendHexBytes(text, bytes.data(), bytes.size());
        Finished(lane, digest::HASH_OK, std::move(text), finished);
      } else {
        FeedNextPiece(lane, finished);
      }
    }
  }
}

void LaneFiles::Finished(unsigned lane, int32_t code, std::string digestText,
                         std::vector<Result>& finished) {
  finished.push_back({Release(lane), code, std::move(digestText)});
}

uint64_t LaneFiles::Release(unsigned lane) {
  Lane& slot = lanes_[lane];
  slot.used = false;
  slot.reading = digest::FileReading();  // closes the file
  return slot.id;
}

std::vector<uint64_t> LaneFiles::Abandon() {
  std::vector<uint64_t> ids;
  for (unsigned lane = 0; lane < lanes_.size(); ++lane) {
    if (!lanes_[lane].used) continue;
    engine_->Stop(lane);
    ids.push_back(Release(lane));
  }
  return ids;
}

}  // namespace checkfile
