// The device methods that reach a printer directly: over a serial port, a
// port opened as a device file or USB (chosen by the port's name), or a raw
// TCP connection. Each opens its link, runs one job and closes the link on
// every path before it returns its status:
//   0 the job ran to its end (also when nothing had to be sent),
//  -1 the link could not be opened, -2 the serial port refused its settings,
//  -3 the printer failed the status exchange (uploads only),
//  -4 a write failed, or the image list names no image or one that cannot
//     be prepared (refused before the first image byte).
//
// `printer` is the model code (PrinterModelOf says what each model does): 0 the
// model-0 upload form, the cut and the options command; 3 the band form but
// the cut and the options command; any other value the band form, the sample
// print and no options.
#pragma once

#include <cstdint>
#include <string>

#include "arguments.h"
#include "device_context.h"
#include "engine/command_stream.h"
#include "links/serial_settings.h"

namespace zelmar {

// Where a direct job goes: a port by its name, with the serial line settings
// used when it is a serial port, or a TCP address and port as texts.
struct PortTarget {
    std::string port;
    links::SerialSettings serial;
};
struct TcpTarget {
    std::string ipAddress;
    std::string portNumber;
};

// The logo switches of the options command (the low byte of each).
struct LogoSwitches {
    int16_t topLogo = 0, bottomLogo = 0, waterMark = 0, marginMessage = 0;
};

// Progress: k after image k of a model-0 upload, 0 after a band form.
int32_t Upload(const DeviceContext& context, int32_t printer, const PortTarget& target,
               const std::string& nvImage, const UploadOptions& options,
               const ProgressFn& progress);
int32_t UploadTCPIP(const DeviceContext& context, int32_t printer, const TcpTarget& target,
                    const std::string& nvImage, const UploadOptions& options,
                    const ProgressFn& progress);

// The cut (Progress 255) or the sample print of what is stored.
int32_t Print(const DeviceContext& context, int32_t printer, const PortTarget& target,
              const ProgressFn& progress);
int32_t PrintTCPIP(const DeviceContext& context, int32_t printer, const TcpTarget& target,
                   const ProgressFn& progress);

// The options command with the logo switches (Progress 255).
int32_t PrinterSave(const DeviceContext& context, int32_t printer, const PortTarget& target,
                    const LogoSwitches& switches, const ProgressFn& progress);
int32_t PrinterSaveTCPIP(const DeviceContext& context, int32_t printer, const TcpTarget& target,
                         const LogoSwitches& switches, const ProgressFn& progress);

}  // namespace zelmar
