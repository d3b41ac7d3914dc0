// Every byte the control sends to a printer or writes into a command file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bytes.h"

namespace zelmar {

// The control's Progress event.
using ProgressFn = std::function<void(std::int32_t data)>;

// The role an NV image is stored under; kNone stores it without one.
enum class Role { kTopLogo, kBottomLogo, kWaterMark, kMarginMessage, kNone };

namespace commands {

Bytes StatusQuery();  // GS I 1
// xL xH yL yH for a picture of padded width W and padded height H (dots).
Bytes SizeBytes(std::int32_t paddedWidth, std::int32_t paddedHeight);
// The header of an NV image of the model-0 form: its role's prefix (the Margin
// Message's with its parameter, SelectMargin), then its size.
Bytes NvImageHeader(Role role, std::int16_t selectMargin, std::int32_t paddedWidth,
                    std::int32_t paddedHeight);
Bytes BandPreamble();                                      // ESC o 0, ESC @
Bytes BandRecordHead(int band, std::int32_t paddedWidth);  // ESC X * j, ESC * 1 nL nH
Bytes SamplePrintStart();                                  // ESC o 1
Bytes SamplePrintFeed();                                   // seven CR LF, ESC m
Bytes CutSequence();                                       // CR LF, ESC i
Bytes OptionsCommand(std::int16_t topLogo, std::int16_t bottomLogo, std::int16_t waterMark,
                     std::int16_t marginMessage);
Bytes DefinitionPreamble(int imageCount);  // ESC @, FS q n
Bytes EraseCommand();                      // FS e
Bytes PrintCommand(int image);             // FS p n 0x30
Bytes FeedAndCut();                        // GS V 66 1

}  // namespace commands

// The names of an image list: each name is followed by "|"; text after the
// last "|" is not a name.
std::vector<std::string> SplitImageList(const std::string& list);

}  // namespace zelmar
