#include "ui/list_view.h"

#include <commctrl.h>

#include "ui/common_controls.h"
#include "util/code_page.h"

namespace {

void InitListAndBarClasses() {
    static const bool done = InitCommonControlClasses(ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES);
    (void)done;
}

// Every column's width, in design pixels.
constexpr int kColumnWidth = 80;

UINT NextCommandId() {
    static UINT next = 40000;
    return next++;
}

}  // namespace

TWideListView::TWideListView(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds,
                             const std::vector<std::wstring>& columns)
    : TControl(owner, std::move(name), parent, bounds) {
    InitListAndBarClasses();
    CreateHandle(WC_LISTVIEWW, WS_VISIBLE | LVS_REPORT, WS_EX_CLIENTEDGE);
    for (size_t i = 0; i < columns.size(); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = ScaleToDpi(kColumnWidth, Dpi());
        column.pszText = const_cast<wchar_t*>(columns[i].c_str());
        SendMessageW(handle_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

HFONT TWideListView::ApplyDpi() {
    HFONT retired = TControl::ApplyDpi();
    for (int i = 0; i < ColumnCount(); ++i)
        SendMessageW(handle_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), ScaleToDpi(kColumnWidth, Dpi()));
    return retired;
}

int TWideListView::ColumnCount() const {
    HWND header = reinterpret_cast<HWND>(SendMessageW(handle_, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring TWideListView::ColumnCaption(int index) const {
    wchar_t text[256] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 256;
    SendMessageW(handle_, LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    return text;
}

void TWideListView::SetColumnCaption(int index, const std::wstring& caption) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<wchar_t*>(caption.c_str());
    SendMessageW(handle_, LVM_SETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

TToolButton::TToolButton(TComponent* owner, std::wstring name, TToolBar* bar, const std::wstring& caption)
    : TComponent(owner, std::move(name)), id_(static_cast<int>(NextCommandId())) {
    bar->buttons_.push_back(this);
    TBBUTTON button{};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = id_;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    button.iString = reinterpret_cast<INT_PTR>(caption.c_str());
    SendMessageW(bar->Handle(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
}

TToolBar::TToolBar(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TControl(owner, std::move(name), parent, bounds) {
    InitListAndBarClasses();
    CreateHandle(TOOLBARCLASSNAMEW, WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_LIST | CCS_NORESIZE | CCS_NOPARENTALIGN);
    SendMessageW(handle_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
}

LRESULT TToolBar::NotifyEx(NMHDR* header) {
    if (header->code != TTN_GETDISPINFOW) return 0;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    for (TToolButton* b : buttons_)
        if (static_cast<UINT_PTR>(b->CommandId()) == info->hdr.idFrom) {
            tipText_ = AnsiToWide(b->Hint());
            info->lpszText = tipText_.data();
        }
    return 0;
}

TWideMenuItem::TWideMenuItem(TComponent* owner, std::wstring name, HMENU menu, const std::wstring& caption)
    : TComponent(owner, std::move(name)), menu_(menu), id_(NextCommandId()) {
    AppendMenuW(menu_, MF_STRING, id_, caption.c_str());
}

std::wstring TWideMenuItem::Caption() const {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 256;
    GetMenuItemInfoW(menu_, id_, FALSE, &info);
    return text;
}

void TWideMenuItem::SetCaption(const std::wstring& caption) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(caption.c_str());
    SetMenuItemInfoW(menu_, id_, FALSE, &info);
}

void TWideMenuItem::DescribeProperties(std::vector<TProperty>& properties) {
    TComponent::DescribeProperties(properties);
    properties.push_back(Property<std::wstring>(
        L"Caption", [this] { return Caption(); }, [this](const std::wstring& v) { SetCaption(v); }));
}
