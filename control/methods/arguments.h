// The control's arguments as its callers give them (numbers, as the COM
// interface and the command line pass them), and what they mean. Each method
// converts its numbers here, once; everything below it works with meanings.
#pragma once

#include <cstdint>

#include "engine/command_stream.h"
#include "engine/image_preparation.h"
#include "engine/upload_forms.h"

namespace zelmar {

// ImageMode, Brightness and Rotation.
struct ImageOptions {
    int16_t imageMode = 0;   // 0 "None", 1 "Error Diffusion", 2 diffusion plus colour files
    int16_t brightness = 5;  // 0 ... 10, 5 neutral; in mode 2 also the colour selector
    int16_t rotation = 0;    // 0 ... 3
};

// The image options with SelectType and SelectMargin.
struct UploadOptions {
    ImageOptions image;
    int16_t selectType = 0;    // 0 Top Logo, 1 Bottom Logo, 2 WaterMark, 3 Margin Message
    int16_t selectMargin = 0;  // the Margin Message's parameter
};

// What a printer model does, by its model code.
struct PrinterModel {
    bool takesRoles;     // NV images by role (the model-0 form), else the band form
    bool answersStatus;  // its status reply is read on every link
    bool cuts;           // Print cuts, else it prints the sample
    bool savesOptions;   // PrinterSave sends the options command, else nothing
};

// EraserAll's Mode.
enum class EraseMode {
    kPrintAll,  // print NV images 1 to 255; the logo settings stay
    kErase,     // erase every NV image and switch both logos off
};

// ImageMode: 0, 1, 2; any other value converts nothing.
ToneMethod ToneMethodOf(int16_t imageMode);
// The colour selector of ImageMode 2: 12 red, 13 green, 14 blue; any other
// value no file.
ColourFile ColourFileOf(int16_t selector);
// SelectType: 0 ... 3; any other value stores the image without a role.
Role RoleOf(int16_t selectType);
// Printer: 0 the model-0 form and every command; 3 the band form, but the cut
// and the options; any other value the band form, the sample print and no
// options. Only model 0 answers the status query on every link.
PrinterModel PrinterModelOf(int32_t printer);
// Mode: 0 prints all, any other value erases.
EraseMode EraseModeOf(int16_t mode);

PrepareOptions PrepareOptionsOf(const ImageOptions& image);
ModelZeroOptions ModelZeroOptionsOf(const UploadOptions& upload);

}  // namespace zelmar
