// How many files vrtly digests at once: as many as -j asks, or, without -j, as many as the
// medium the files lie on bears: all cores on solid-state or memory-backed storage, one where
// several readers would make the medium seek (a rotating disk, an optical drive), on a network
// share, and wherever the kind of medium cannot be told.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "checkfile/DigestSource.h"
#include "cli/TaskOutcome.h"

namespace cli {

struct JobChoice {
  unsigned Count = 1;
  std::string Reason;  // "as asked", "solid-state storage", "rotating disk", ...
};

// operand: the FOLDER of make and update, or the CHECKFILE of check, whose folder then counts.
JobChoice ChooseJobs(TaskKind kind, const std::string& operand, std::optional<unsigned> asked);

// The -v line: "vrtly: 2 jobs (solid-state storage)", "vrtly: 1 job (rotating disk)".
std::string JobChoiceLine(const JobChoice& choice);

// One job: each file read when the task asks for it, exactly the sequential run. More: read
// ahead on that many threads, stopping at Ctrl-C.
std::unique_ptr<checkfile::DigestSource> MakeDigestSource(unsigned jobs);

}  // namespace cli
