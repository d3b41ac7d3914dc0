// The main window as the window logic sees it: controls named by their ids,
// set from outside. The Win32 window implements this thinly; the tests fake it.
#pragma once

#include <string>
#include <vector>

#include "logo_files.h"
#include "resource.h"
#include "settings.h"

namespace orvenna {

// The controls whose text or state the window logic sets: their ids in the
// resource script, and the two tabs of the tab set.
enum class Item : int {
    kPreviewTab = 1,
    kDriverTab = 2,
    kTopFrame = IDC_TOP_FRAME,
    kTopAdd = IDC_TOP_ADD,
    kTopRemove = IDC_TOP_REMOVE,
    kTopHeight = IDC_TOP_HEIGHT,
    kTopWidth = IDC_TOP_WIDTH,
    kBottomFrame = IDC_BOTTOM_FRAME,
    kBottomAdd = IDC_BOTTOM_ADD,
    kBottomRemove = IDC_BOTTOM_REMOVE,
    kBottomHeight = IDC_BOTTOM_HEIGHT,
    kBottomWidth = IDC_BOTTOM_WIDTH,
    kOriginalLabel = IDC_ORIGINAL_LABEL,
    kOriginalImage = IDC_ORIGINAL_IMAGE,
    kPrintedLabel = IDC_PRINTED_LABEL,
    kPrintedImage = IDC_PRINTED_IMAGE,
    kHalfToneFrame = IDC_HALFTONE_FRAME,
    kMethodLabel = IDC_METHOD_LABEL,
    kModeNone = IDC_MODE_NONE,
    kModeDiffusion = IDC_MODE_DIFFUSION,
    kBrightnessFrame = IDC_BRIGHTNESS_FRAME,
    kSlider = IDC_SLIDER,
    kBrightLabel = IDC_BRIGHT_LABEL,
    kDarkLabel = IDC_DARK_LABEL,
    kPrinterLabel = IDC_PRINTER_LABEL,
    kPortFrame = IDC_PORT_FRAME,
    kPortLabel = IDC_PORT_LABEL,
    kBaudRateLabel = IDC_BAUDRATE_LABEL,
    kBitLengthLabel = IDC_BITLENGTH_LABEL,
    kParityLabel = IDC_PARITY_LABEL,
    kStopBitLabel = IDC_STOPBIT_LABEL,
    kHandShakeLabel = IDC_HANDSHAKE_LABEL,
    kNetworkFrame = IDC_NETWORK_FRAME,
    kIpLabel = IDC_IP_LABEL,
    kIp = IDC_IP,
    kPortNumberLabel = IDC_PORT_NUMBER_LABEL,
    kPortNumber = IDC_PORT_NUMBER,
    kDirectFrame = IDC_DIRECT_FRAME,
    kUploadTop = IDC_UPLOAD_TOP,
    kUploadBottom = IDC_UPLOAD_BOTTOM,
    kUploadWaterMark = IDC_UPLOAD_WATERMARK,
    kUploadMargin = IDC_UPLOAD_MARGIN,
    kOpenToPrint = IDC_OPEN_TO_PRINT,
    kJobsFrame = IDC_JOBS_FRAME,
    kLogoUpload = IDC_LOGO_UPLOAD,
    kEraseAll = IDC_ERASE_ALL,
    kPrintOut = IDC_PRINT_OUT,
    kTopOption = IDC_TOP_OPTION,
    kOptionSave = IDC_OPTION_SAVE,
    kBottomOption = IDC_BOTTOM_OPTION,
    kWaterMarkOption = IDC_WATERMARK_OPTION,
    kMarginOption = IDC_MARGIN_OPTION,
    kMarginFrame = IDC_MARGIN_FRAME,
    kBiSide = IDC_BI_SIDE,
    kLFirst = IDC_L_FIRST,
    kRFirst = IDC_R_FIRST,
    kTopSketch = IDC_TOP_SKETCH,
    kBottomSketch = IDC_BOTTOM_SKETCH,
    kWaterMarkSketch = IDC_WATERMARK_SKETCH,
    kLeftSketch = IDC_LEFT_SKETCH,
    kRightSketch = IDC_RIGHT_SKETCH,
    kAboutFrame = IDC_ABOUT_FRAME,
    kAboutName = IDC_ABOUT_NAME,
    kAboutText = IDC_ABOUT_TEXT,
    kClose = IDC_CLOSE,
};

enum class Panel { kTop, kBottom };

struct Column {
    std::string title;
    int widthTwips;
    bool rightAligned;
};

enum class Icon { kNone, kInformation, kWarning };
enum class Buttons { kOk, kYesNo };
enum class Answer { kOk, kYes, kNo };

struct Message {
    std::string text;
    std::string caption;
    Icon icon = Icon::kNone;
    Buttons buttons = Buttons::kOk;
};

class MainView {
  public:
    virtual ~MainView() = default;

    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetText(Item item, const std::string& text) = 0;
    virtual void SetEnabled(Item item, bool enabled) = 0;
    virtual void SetChecked(Item item, bool checked) = 0;
    virtual void SetVisible(Item item, bool visible) = 0;
    virtual void SetEntries(Combo combo, const std::vector<std::string>& entries) = 0;
    // -1 selects nothing.
    virtual void SetSelection(Combo combo, int index) = 0;
    virtual void SetSlider(int position, int maximum) = 0;
    // 0 the "Preview" tab, 1 the driver tab.
    virtual void ShowTab(int index) = 0;
    // Centres the window on the screen.
    virtual void Centre() = 0;
    virtual void SetColumns(Panel panel, const std::vector<Column>& columns) = 0;
    // `selected`: 0-based row to select, -1 none.
    virtual void SetRows(Panel panel, const std::vector<ListRow>& rows, int selected) = 0;
    // Shows the picture file `path` in an image box (kOriginalImage or
    // kPrintedImage), stretched to the size given; false, and the box empty,
    // when it does not load.
    virtual bool ShowPicture(Item box, const std::string& path, int heightTwips,
                             int widthTwips) = 0;
    virtual void ClearPicture(Item box) = 0;
    // A modal box; the user's answer.
    virtual Answer Show(const Message& message) = 0;
};

}  // namespace orvenna
