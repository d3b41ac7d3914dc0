#include "texts.h"

#include <stdexcept>
#include <utility>

namespace orvenna {

namespace {

template <typename Key>
using Table = std::vector<std::pair<Key, std::string>>;

const Table<Item>& EnglishCaptions() {
    static const Table<Item> table = {
        {Item::kPreviewTab, "Preview"},
        {Item::kDriverTab, "Image Upload using Printer Driver"},
        {Item::kTopFrame, "Top Logo Management"},
        {Item::kTopAdd, "Add File"},
        {Item::kTopRemove, "Remove File"},
        {Item::kTopHeight, "Height : "},
        {Item::kTopWidth, "Width : "},
        {Item::kBottomFrame, "Bottom Logo Management"},
        {Item::kBottomAdd, "Add File"},
        {Item::kBottomRemove, "Remove File"},
        {Item::kBottomHeight, "Height : "},
        {Item::kBottomWidth, "Width : "},
        {Item::kOriginalLabel, "Original  Image"},
        {Item::kPrintedLabel, "Printed  Image"},
        {Item::kHalfToneFrame, "HalfTone"},
        {Item::kMethodLabel, "Method"},
        {Item::kModeNone, "None"},
        {Item::kModeDiffusion, "Error Diffusion"},
        {Item::kBrightnessFrame, "Brightness"},
        {Item::kBrightLabel, "Bright"},
        {Item::kDarkLabel, "Dark"},
        {Item::kPrinterLabel, "Printer Name :"},
        {Item::kPortFrame, "Port Setting"},
        {Item::kPortLabel, "Port :"},
        {Item::kBaudRateLabel, "Baudrate :"},
        {Item::kBitLengthLabel, "BitLength :"},
        {Item::kParityLabel, "Parity :"},
        {Item::kStopBitLabel, "StopBit :"},
        {Item::kHandShakeLabel, "Handshake :"},
        {Item::kNetworkFrame, "TCP/IP Information"},
        {Item::kIpLabel, "   IP Address : "},
        {Item::kPortNumberLabel, "Port Number : "},
        {Item::kPortNumber, "9100"},
        {Item::kDirectFrame, "Logo Open and Upload"},
        {Item::kUploadTop, "Upload to Top Logo"},
        {Item::kUploadBottom, "Upload to Bottom Logo"},
        {Item::kUploadWaterMark, "Upload to WaterMark"},
        {Item::kUploadMargin, "Upload to Margin Message"},
        {Item::kOpenToPrint, "Open to Print"},
        {Item::kJobsFrame, "Windows Driver Logo Management"},
        {Item::kLogoUpload, "Logo Upload"},
        {Item::kEraseAll, "Erase All"},
        {Item::kPrintOut, "Print Out"},
        {Item::kTopOption, "Top Logo"},
        {Item::kOptionSave, "Option Save"},
        {Item::kBottomOption, "Bottom Logo"},
        {Item::kWaterMarkOption, "WaterMark"},
        {Item::kMarginOption, "Margin Message"},
        {Item::kMarginFrame, "Margin Order"},
        {Item::kBiSide, "Bi-Side"},
        {Item::kLFirst, "L-First"},
        {Item::kRFirst, "R-First"},
        {Item::kTopSketch, "TOP LOGO"},
        {Item::kBottomSketch, "BOTTOM LOGO"},
        {Item::kWaterMarkSketch, "WATERMARK"},
        {Item::kLeftSketch, "MSG"},
        {Item::kRightSketch, "MSG"},
        {Item::kAboutFrame, "About"},
        {Item::kAboutName, "Orvenna Version 1.01"},
        {Item::kAboutText, "Logo manager for POS thermal receipt printers"},
        {Item::kClose, "Close"},
    };
    return table;
}

const Table<Item>& KoreanCaptions() {
    static const Table<Item> table = {
        {Item::kTopAdd, "파일 추가"},
        {Item::kBottomAdd, "파일 추가"},
        {Item::kTopRemove, "파일 삭제"},
        {Item::kBottomRemove, "파일 삭제"},
        {Item::kOriginalLabel, "원본 이미지"},
        {Item::kPrintedLabel, "인쇄될 이미지"},
        {Item::kPreviewTab, "미리보기"},
        {Item::kDriverTab, "프린터 드라이버를 이용 로고 업로드"},
        {Item::kModeNone, "사용 안함"},
        {Item::kModeDiffusion, "오류 확산"},
        {Item::kBrightnessFrame, "밝기"},
        {Item::kBrightLabel, "밝게"},
        {Item::kDarkLabel, "어둡게"},
        {Item::kTopHeight, "이미지 높이 : "},
        {Item::kBottomHeight, "이미지 높이 : "},
        {Item::kTopWidth, "이미지 폭 : "},
        {Item::kBottomWidth, "이미지 폭 : "},
        {Item::kJobsFrame, "프린터 드라이버 로고 관리"},
        {Item::kPrinterLabel, "프린터 드라이버 이름 : "},
        {Item::kLogoUpload, "로고 업로드"},
        {Item::kEraseAll, "로고 삭제"},
        {Item::kPrintOut, "저장 로고 인쇄"},
        {Item::kClose, "종료"},
        {Item::kAboutText, "POS 영수증 프린터 로고 관리 프로그램"},
    };
    return table;
}

const Table<TextId>& EnglishTexts() {
    static const Table<TextId> table = {
        {TextId::kDesignCaption, "Orvenna 1.01"},
        {TextId::kAppTitle, "Orvenna Version 1.01"},
        {TextId::kProgramName, "Orvenna"},
        {TextId::kNoDriver,
         "Installed Printer Driver not Exist\r\nPlease install Printer Driver !!!"},
        {TextId::kColumnNo, "No"},
        {TextId::kColumnName, "Name"},
        {TextId::kColumnSize, "Size"},
        {TextId::kListsNotSaved,
         "These logo lists could not be saved; they keep what they held at start-up:"},
        {TextId::kListUnreadable,
         "the file could not be read; another program may be using it, or it is too large."},
        {TextId::kListNotText, "the file is not text in a form Orvenna reads."},
        {TextId::kListBadEntries,
         "some of its lines could not be read as logo entries; the list shows the others."},
        {TextId::kListTooMany,
         "it holds more than 255 logos, the most Orvenna keeps; the list shows the first 255."},
        {TextId::kListsKept,
         "These files are left as they are. Orvenna writes such a list when it closes only if "
         "you change the list, and then keeps the old file beside the new one, with \".bak\" "
         "added to its name."},
        {TextId::kHeightPrefix, "Height : "},
        {TextId::kWidthPrefix, "Width : "},
        {TextId::kWidthClearedPrefix, "Width  : "},
        {TextId::kNoMoreFiles, "Don't read files any more."},
        {TextId::kSelectColour, "Select Color bitmap file."},
        {TextId::kOutOfRange, "Out of range bitmap file."},
        {TextId::kNameNotInCodePage,
         "This file name cannot be written in the system's code page, in which the logo lists "
         "are kept. Rename the file or its folder and add it again:"},
        {TextId::kRemoveQuestion, "Do you want to remove all of the selection?"},
        {TextId::kUploadQuestion,
         "Logo files are written in the NV image area of the device. Continue it?"},
        {TextId::kEraseQuestion, "NV image all Delete. Continue it?"},
        {TextId::kEraseCaption, "Delete"},
        {TextId::kWriteDone,
         "Upload finished, and Writing of bit image completed.\r\nLogo becomes available after "
         "the reset of a device."},
        {TextId::kEraseDone,
         "Upload finished, and Cleaning of NV Image completed.\r\nLogo becomes available after "
         "the reset of a device."},
        {TextId::kSampleDone, "Sample Printing Success."},
        {TextId::kCommunicationError, "Communication error. Can not be transmitted."},
        {TextId::kCheckDriver, "Please Check Printer Driver. Can not be transmitted."},
    };
    return table;
}

const Table<TextId>& KoreanTexts() {
    static const Table<TextId> table = {
        {TextId::kNoDriver,
         "설치된 프린터 드라이버가 없습니다.\r\n프린터 드라이버를 먼저 설치해 주십시오. !!!"},
        {TextId::kColumnNo, "순서"},
        {TextId::kColumnName, "이름"},
        {TextId::kColumnSize, "크기"},
        {TextId::kListUnreadable,
         "파일을 읽을 수 없습니다. 다른 프로그램이 사용 중이거나 파일이 너무 큽니다."},
        {TextId::kListNotText, "Orvenna가 읽을 수 있는 텍스트 형식의 파일이 아닙니다."},
        {TextId::kListBadEntries,
         "일부 줄을 로고 항목으로 읽을 수 없습니다. 읽을 수 있는 항목만 표시합니다."},
        {TextId::kListTooMany,
         "Orvenna가 관리할 수 있는 최대 개수(255개)보다 많은 로고가 있습니다. 처음 255개만 "
         "표시합니다."},
        {TextId::kListsKept,
         "이 파일은 그대로 두었습니다. 이 목록을 변경한 경우에만 종료할 때 저장하며, 이때 이전 "
         "파일은 이름 뒤에 \".bak\"을 붙여 새 파일 옆에 보관합니다."},
    };
    return table;
}

template <typename Key>
const std::string* Find(const Table<Key>& table, Key key) {
    for (const auto& [entry, text] : table) {
        if (entry == key) return &text;
    }
    return nullptr;
}

template <typename Key>
const std::string& Lookup(const Table<Key>& english, const Table<Key>& korean, Language language,
                          Key key) {
    if (language == Language::kKorean) {
        if (const std::string* text = Find(korean, key)) return *text;
    }
    if (const std::string* text = Find(english, key)) return *text;
    throw std::invalid_argument("no text for this key");
}

template <typename Key>
std::vector<Key> Keys(const Table<Key>& table) {
    std::vector<Key> keys;
    for (const auto& entry : table)
        keys.push_back(entry.first);
    return keys;
}

}  // namespace

const std::string& Caption(Language language, Item item) {
    return Lookup(EnglishCaptions(), KoreanCaptions(), language, item);
}

const std::string& Text(Language language, TextId id) {
    return Lookup(EnglishTexts(), KoreanTexts(), language, id);
}

std::vector<Item> CaptionedItems() {
    return Keys(EnglishCaptions());
}

std::vector<Item> RelabelledItems() {
    return Keys(KoreanCaptions());
}

}  // namespace orvenna
