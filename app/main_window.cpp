#include "main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <exception>

#include "resource.h"

namespace orvenna {

namespace {

constexpr wchar_t kControlProgId[] = L"ZELMAR.ZelmarCtrl.1";
constexpr int kClientWidthTwips = 14535;
constexpr int kClientHeightTwips = 8985;
constexpr int kTwipsPerInch = 1440;
constexpr int kPreviewTab = 0, kDriverTab = 1;

// The white boxes hold their pictures as child windows, which they clip.
bool IsBox(int id) {
    return id == IDC_ORIGINAL_BOX || id == IDC_PRINTED_BOX || id == IDC_SKETCH;
}

// The white boxes pass the drawing of their owner-drawn pictures on to the
// window, which draws them.
LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(box, GWLP_USERDATA));
    if (message == WM_DRAWITEM) return SendMessageW(GetParent(box), message, wParam, lParam);
    return CallWindowProcW(original, box, message, wParam, lParam);
}

void PassDrawingOn(HWND box) {
    if (GetWindowLongPtrW(box, GWLP_USERDATA)) return;
    SetWindowLongPtrW(box, GWLP_USERDATA, GetWindowLongPtrW(box, GWLP_WNDPROC));
    SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BoxProc));
}

// The page a control belongs to, by its id; -1 for the window's own.
int PageOf(int id) {
    if (id / 100 == 11) return kPreviewTab;
    if (id / 100 == 12) return kDriverTab;
    return -1;
}

int ListId(Panel panel) {
    return panel == Panel::kTop ? IDC_TOP_LIST : IDC_BOTTOM_LIST;
}

int ComboId(Combo combo) {
    static constexpr int ids[] = {IDC_PRINTER, IDC_PORT,    IDC_BAUDRATE, IDC_BITLENGTH,
                                  IDC_PARITY,  IDC_STOPBIT, IDC_HANDSHAKE};
    return ids[static_cast<int>(combo)];
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance)
    : instance_(instance),
      presenter_(*this, {environment_, files_, ansi_, client_, dialog_, clock_}) {}

MainWindow::~MainWindow() {
    site_.reset();
    control_.Reset();
    if (window_) DestroyWindow(window_);
}

int MainWindow::Run() {
    window_ = CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_MAIN), nullptr, DialogProc,
                                 reinterpret_cast<LPARAM>(this));
    if (!window_) return 1;
    presenter_.Create();
    presenter_.Start();
    ShowWindow(window_, SW_SHOW);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!window_ || !IsDialogMessageW(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
}

INT_PTR CALLBACK MainWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<MainWindow*>(lParam)->window_ = window;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!self) return FALSE;
    try {
        return self->Handle(message, wParam, lParam);
    } catch (const std::exception& error) {
        // Nothing may unwind through the system's code that called us.
        MessageBoxA(window, error.what(), "Orvenna", MB_OK | MB_ICONSTOP);
        return TRUE;
    }
}

INT_PTR MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            dialog_.SetOwner(window_);
            Layout();
            return TRUE;
        case WM_COMMAND:
            Command(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_NOTIFY:
            Notify(*reinterpret_cast<const NMHDR*>(lParam));
            return TRUE;
        case WM_DRAWITEM:
            DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_HSCROLL:
            // The slider has come to rest: released, clicked on its track,
            // or moved by keyboard.
            if (reinterpret_cast<HWND>(lParam) == Control(IDC_SLIDER) &&
                LOWORD(wParam) == TB_ENDTRACK) {
                presenter_.SliderSettled(
                    static_cast<int>(SendMessageW(Control(IDC_SLIDER), TBM_GETPOS, 0, 0)));
            }
            return TRUE;
        case WM_CLOSE:
            Close();
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) presenter_.EndSession();
            return TRUE;
        case WM_DESTROY:
            window_ = nullptr;
            PostQuitMessage(0);
            return TRUE;
        default:
            return FALSE;
    }
}

void MainWindow::Command(int id, int code) {
    if (id == IDC_PRINTER && code == CBN_SELCHANGE) {
        presenter_.PrinterSelected(ComboBox_GetCurSel(Control(IDC_PRINTER)));
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case IDC_CLOSE:
            return Close();
        case IDC_TOP_ADD:
            return presenter_.AddFile(Panel::kTop);
        case IDC_BOTTOM_ADD:
            return presenter_.AddFile(Panel::kBottom);
        case IDC_TOP_REMOVE:
            return presenter_.RemoveFile(Panel::kTop);
        case IDC_BOTTOM_REMOVE:
            return presenter_.RemoveFile(Panel::kBottom);
        case IDC_MODE_NONE:
            return presenter_.ImageModeClicked(ToneMethod::kNone);
        case IDC_MODE_DIFFUSION:
            return presenter_.ImageModeClicked(ToneMethod::kErrorDiffusion);
        case IDC_LOGO_UPLOAD:
            return presenter_.LogoUpload();
        case IDC_ERASE_ALL:
            return presenter_.EraseAll();
        case IDC_PRINT_OUT:
            return presenter_.PrintOut();
        default:
            return;
    }
}

void MainWindow::Notify(const NMHDR& header) {
    if (header.idFrom == IDC_TAB && header.code == TCN_SELCHANGE) {
        presenter_.TabSelected(TabCtrl_GetCurSel(Control(IDC_TAB)));
        return;
    }
    const Panel panel = header.idFrom == IDC_TOP_LIST ? Panel::kTop : Panel::kBottom;
    if (header.idFrom != IDC_TOP_LIST && header.idFrom != IDC_BOTTOM_LIST) return;
    if (header.code == NM_CLICK) {
        // A click on a row, also on the row already selected.
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
        if (row >= 0) presenter_.RowSelected(panel, row);
        return;
    }
    // A row chosen by keyboard; a click reports itself above.
    if (header.code != LVN_ITEMCHANGED || filling_ || GetKeyState(VK_LBUTTON) < 0) return;
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED)) {
        presenter_.RowSelected(panel, change.iItem);
    }
}

void MainWindow::DrawPicture(const DRAWITEMSTRUCT& item) {
    const auto found = pictures_.find(static_cast<int>(item.CtlID));
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    if (found == pictures_.end() || !found->second || width <= 0 || height <= 0) {
        FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return;
    }
    // Stretched in memory, whole dots nearest first, then copied: the same
    // pixels on every display driver.
    BITMAP size = {};
    GetObjectW(found->second.get(), sizeof size, &size);
    BITMAPINFO canvasInfo = {};
    canvasInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    canvasInfo.bmiHeader.biWidth = width;
    canvasInfo.bmiHeader.biHeight = -height;  // top-down
    canvasInfo.bmiHeader.biPlanes = 1;
    canvasInfo.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HDC canvas = CreateCompatibleDC(item.hDC);
    const HBITMAP canvasBitmap =
        CreateDIBSection(canvas, &canvasInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ oldCanvas = SelectObject(canvas, canvasBitmap);
    const HDC source = CreateCompatibleDC(item.hDC);
    const HGDIOBJ oldSource = SelectObject(source, found->second.get());
    SetStretchBltMode(canvas, COLORONCOLOR);
    StretchBlt(canvas, 0, 0, width, height, source, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, canvas, 0, 0, SRCCOPY);
    SelectObject(source, oldSource);
    DeleteDC(source);
    SelectObject(canvas, oldCanvas);
    DeleteObject(canvasBitmap);
    DeleteDC(canvas);
}

void MainWindow::Close() {
    presenter_.Close();
    site_.reset();
    control_.Reset();
    DestroyWindow(window_);
}

int MainWindow::Pixels(int twips, bool vertical) const {
    return MulDiv(twips, vertical ? dpiY_ : dpiX_, kTwipsPerInch);
}

void MainWindow::Layout() {
    const HDC screen = GetDC(nullptr);
    dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
    dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);

    RECT frame = {0, 0, Pixels(kClientWidthTwips, false), Pixels(kClientHeightTwips, true)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);

    // Type 10 is RT_RCDATA, whose wide form the headers give only with UNICODE.
    const HRSRC found =
        FindResourceW(instance_, MAKEINTRESOURCEW(IDR_LAYOUT), MAKEINTRESOURCEW(10));
    const auto* words = static_cast<const short*>(LockResource(LoadResource(instance_, found)));
    const DWORD count = SizeofResource(instance_, found) / sizeof(short);
    std::map<int, POINT> origins;  // each control's top-left in twips, in its parent
    for (DWORD at = 0; at + 6 <= count && words[at] != 0; at += 6) {
        const Placement placement = {words[at],     words[at + 1], words[at + 2],
                                     words[at + 3], words[at + 4], words[at + 5]};
        layout_.push_back(placement);
        const HWND control = GetDlgItem(window_, placement.id);
        controls_[placement.id] = control;
        POINT place = {placement.left, placement.top};
        if (IsBox(placement.origin)) {
            SetParent(control, controls_[placement.origin]);
            PassDrawingOn(controls_[placement.origin]);
        } else if (placement.origin != 0) {
            place.x += origins[placement.origin].x;
            place.y += origins[placement.origin].y;
        }
        origins[placement.id] = place;
        if (placement.id == IDC_CONTROL_SITE) {
            HostControl({placement.id, 0, place.x, place.y, placement.width, placement.height});
            continue;
        }
        SetWindowPos(control, nullptr, Pixels(place.x, false), Pixels(place.y, true),
                     Pixels(placement.width, false), Pixels(placement.height, true),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }

    TCITEMW tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<wchar_t*>(L"");
    for (int page : {kPreviewTab, kDriverTab})
        SendMessageW(Control(IDC_TAB), TCM_INSERTITEMW, page, reinterpret_cast<LPARAM>(&tab));
    for (const Panel panel : {Panel::kTop, Panel::kBottom}) {
        ListView_SetExtendedListViewStyle(Control(ListId(panel)),
                                          LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    }
    UpdateVisibility();
}

void MainWindow::HostControl(const Placement& site) {
    const RECT position = {Pixels(site.left, false), Pixels(site.top, true),
                           Pixels(site.left + site.width, false),
                           Pixels(site.top + site.height, true)};
    CLSID clsid = {};
    if (FAILED(CLSIDFromProgID(kControlProgId, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control_)))) {
        return;  // the window works without it; the control's methods then fail
    }
    site_ = std::make_unique<ControlSite>(window_, position);
    Microsoft::WRL::ComPtr<IDispatch> methods;
    if (FAILED(site_->Place(*control_.Get())) || FAILED(control_.As(&methods))) {
        site_.reset();
        control_.Reset();
        return;
    }
    client_.Attach(methods.Get());
}

HWND MainWindow::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? GetDlgItem(window_, id) : found->second;
}

bool MainWindow::Shown(int id) const {
    const int page = PageOf(id);
    if (page >= 0 && page != tab_) return false;
    for (const Placement& placement : layout_) {
        if (placement.id != id) continue;
        if (hidden_.count(id)) return false;
        return placement.origin == 0 || Shown(placement.origin);
    }
    return true;
}

void MainWindow::UpdateVisibility() {
    for (const Placement& placement : layout_) {
        if (placement.id == IDC_CONTROL_SITE) continue;
        ShowWindow(Control(placement.id), Shown(placement.id) ? SW_SHOWNA : SW_HIDE);
    }
}

void MainWindow::SetCaption(const std::string& text) {
    SetWindowTextW(window_, Wide(text).c_str());
}

void MainWindow::SetText(Item item, const std::string& text) {
    std::wstring wide = Wide(text);
    if (item == Item::kPreviewTab || item == Item::kDriverTab) {
        TCITEMW tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = wide.data();
        SendMessageW(Control(IDC_TAB), TCM_SETITEMW,
                     item == Item::kPreviewTab ? kPreviewTab : kDriverTab,
                     reinterpret_cast<LPARAM>(&tab));
        return;
    }
    SetWindowTextW(Control(item), wide.c_str());
}

void MainWindow::SetEnabled(Item item, bool enabled) {
    EnableWindow(Control(item), enabled);
}

void MainWindow::SetChecked(Item item, bool checked) {
    Button_SetCheck(Control(item), checked ? BST_CHECKED : BST_UNCHECKED);
}

void MainWindow::SetVisible(Item item, bool visible) {
    if (visible) {
        hidden_.erase(static_cast<int>(item));
    } else {
        hidden_.insert(static_cast<int>(item));
    }
    UpdateVisibility();
}

void MainWindow::SetEntries(Combo combo, const std::vector<std::string>& entries) {
    const HWND list = Control(ComboId(combo));
    ComboBox_ResetContent(list);
    for (const std::string& entry : entries)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry).c_str()));
}

void MainWindow::SetSelection(Combo combo, int index) {
    ComboBox_SetCurSel(Control(ComboId(combo)), index);
}

void MainWindow::SetSlider(int position, int maximum) {
    const HWND slider = Control(IDC_SLIDER);
    SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, maximum));
    SendMessageW(slider, TBM_SETPOS, TRUE, position);
}

void MainWindow::ShowTab(int index) {
    tab_ = index;
    TabCtrl_SetCurSel(Control(IDC_TAB), index);
    UpdateVisibility();
    // The frames are transparent: what the other page left beneath them goes.
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::Centre() {
    RECT frame;
    GetWindowRect(window_, &frame);
    const double left = (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2.0;
    const double top = (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2.0;
    SetWindowPos(window_, nullptr, static_cast<int>(left), static_cast<int>(top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetColumns(Panel panel, const std::vector<Column>& columns) {
    const HWND list = Control(ListId(panel));
    while (ListView_DeleteColumn(list, 0)) {
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::wstring title = Wide(columns[i].title);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = columns[i].rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = Pixels(columns[i].widthTwips, false);
        column.pszText = title.data();
        column.iSubItem = static_cast<int>(i);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

void MainWindow::SetRows(Panel panel, const std::vector<ListRow>& rows, int selected) {
    const HWND list = Control(ListId(panel));
    filling_ = true;
    ListView_DeleteAllItems(list);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        std::wstring cells[] = {Wide(rows[i].number), Wide(rows[i].name), Wide(rows[i].size)};
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = cells[0].data();
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int sub = 1; sub <= 2; ++sub) {
            item.iSubItem = sub;
            item.pszText = cells[sub].data();
            SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        }
    }
    if (selected >= 0) {
        ListView_SetItemState(list, selected, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    }
    filling_ = false;
}

bool MainWindow::ShowPicture(Item box, const std::string& path, int heightTwips, int widthTwips) {
    const HWND image = Control(box);
    const auto bitmap = static_cast<HBITMAP>(LoadImageW(
        nullptr, Wide(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    pictures_[static_cast<int>(box)].reset(bitmap);
    if (bitmap) {
        SetWindowPos(image, nullptr, 0, 0, Pixels(widthTwips, false), Pixels(heightTwips, true),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(image, nullptr, TRUE);
    UpdateWindow(image);
    return bitmap != nullptr;
}

void MainWindow::ClearPicture(Item box) {
    pictures_[static_cast<int>(box)].reset();
    InvalidateRect(Control(box), nullptr, TRUE);
    UpdateWindow(Control(box));
}

Answer MainWindow::Show(const Message& message) {
    UINT flags = message.buttons == Buttons::kYesNo ? MB_YESNO : MB_OK;
    if (message.icon == Icon::kInformation) flags |= MB_ICONINFORMATION;
    if (message.icon == Icon::kWarning) flags |= MB_ICONEXCLAMATION;
    const int answer =
        MessageBoxW(window_, Wide(message.text).c_str(), Wide(message.caption).c_str(), flags);
    if (answer == IDYES) return Answer::kYes;
    if (answer == IDNO) return Answer::kNo;
    return Answer::kOk;
}

}  // namespace orvenna
