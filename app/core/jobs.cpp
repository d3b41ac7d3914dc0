#include "jobs.h"

#include <string>

#include "texts.h"

namespace orvenna {

namespace {

constexpr int32_t kDone = 0;
constexpr int32_t kNoPrinter = -5;

}  // namespace

std::optional<Message> JobResult(Language language, Job job, int32_t status) {
    const std::string& title = Text(language, TextId::kAppTitle);
    if (status == kDone) {
        const TextId done = job == Job::kDriverUpload ? TextId::kWriteDone
                            : job == Job::kEraseAll   ? TextId::kEraseDone
                                                      : TextId::kSampleDone;
        return Message{Text(language, done), title, Icon::kInformation, Buttons::kOk};
    }
    if (status == kNoPrinter) {
        // Every job says so, not only the upload: nothing was sent.
        return Message{Text(language, TextId::kCheckDriver), title, Icon::kWarning, Buttons::kOk};
    }
    if (status < kDone && status > kNoPrinter) {
        // The sample print's box names the status in its title.
        const std::string caption =
            job == Job::kSamplePrint ? title + std::to_string(status) : title;
        return Message{Text(language, TextId::kCommunicationError), caption, Icon::kWarning,
                       Buttons::kOk};
    }
    return std::nullopt;
}

}  // namespace orvenna
