// Pictures as files: receipts as they come out of the printer, and dumps of
// the images in its flash.
#pragma once

#include <string>
#include <vector>

#include "flash.h"
#include "printer.h"

namespace standin {

// 1-bit BMP: colour 0 white, colour 1 black, bottom row first, as the
// engine's working files.
Bytes BmpFile(const Picture& picture);
// 1-bit PNG (palette white, black); empty when the picture cannot be encoded.
Bytes PngFile(const Picture& picture);

// Writes each receipt as "receipt-NNNN.bmp" and ".png" into a directory,
// numbering on from the receipts already there, so that nothing is replaced.
class ReceiptFiles : public ReceiptOutput {
  public:
    explicit ReceiptFiles(std::string dir);
    // The BMP's path, its PNG beside it; empty, with neither file left and the
    // number kept for the next receipt, when the two cannot both be written.
    std::string Write(const Picture& receipt) override;

  private:
    std::string dir_;
    int next_ = 0;  // 0 until the directory was looked at
};

// Writes the images of a flash set as BMP files into `dir`, named by role and
// number ("top-logo.bmp", "band-logo.bmp", "image-001.bmp"). `written` gets the
// paths; false when a file cannot be written.
bool DumpSet(const FlashSet& set, const std::string& dir, std::vector<std::string>& written);

}  // namespace standin
