// The device jobs' words: what each job's status number tells the user.
#pragma once

#include <cstdint>
#include <optional>

#include "language.h"
#include "main_view.h"

namespace orvenna {

enum class Job { kDriverUpload, kEraseAll, kSamplePrint };

// The message box for `status`, or nothing for a status that is not
// reported (below -5, above 0).
std::optional<Message> JobResult(Language language, Job job, int32_t status);

// How long a driver upload waits before it says it is done.
inline constexpr int kUploadSettleMs = 5000;

}  // namespace orvenna
