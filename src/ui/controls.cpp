#include "ui/controls.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/common_controls.h"
#include "util/code_page.h"

namespace {

// Splits an edit control's text into lines at CR LF (or a lone LF).
std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\n') continue;
        size_t end = i > start && text[i - 1] == L'\r' ? i - 1 : i;
        lines.push_back(text.substr(start, end - start));
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

TContainer::TContainer(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds, DWORD style)
    : TControl(owner, std::move(name), parent, bounds) {
    CreateHandle(ContainerClass(), WS_VISIBLE | WS_CLIPSIBLINGS | style, WS_EX_CONTROLPARENT);
}

// ---- Labels -----------------------------------------------------------------

TWideLabel::TWideLabel(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds,
                       const std::wstring& caption)
    : TControl(owner, std::move(name), parent, bounds) {
    CreateHandle(L"STATIC", WS_VISIBLE | SS_LEFT, 0, caption);
}

HBRUSH TWideLabel::ControlColor(HDC dc) {
    HBRUSH brush = TControl::ControlColor(dc);
    SetBkMode(dc, TRANSPARENT);  // on the page's own colour
    return brush ? brush : GetSysColorBrush(COLOR_BTNFACE);
}

void TWideLabel::DescribeProperties(std::vector<TProperty>& properties) {
    TControl::DescribeProperties(properties);
    properties.push_back(TextProperty(L"Caption"));
}

TWideStaticText::TWideStaticText(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TWideLabel(owner, std::move(name), parent, bounds) {
    SetWindowLongW(handle_, GWL_STYLE, GetWindowLongW(handle_, GWL_STYLE) | SS_SUNKEN);
}

// ---- Buttons ----------------------------------------------------------------

TWideButton::TWideButton(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds,
                         const std::wstring& caption, bool isDefault)
    : TControl(owner, std::move(name), parent, bounds) {
    CreateHandle(L"BUTTON", WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, caption);
}

bool TWideButton::IsDefault() const { return (GetWindowLongW(handle_, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON; }

void TWideButton::Click() {
    if (OnClick) OnClick(*this);
}

void TWideButton::DescribeProperties(std::vector<TProperty>& properties) {
    TControl::DescribeProperties(properties);
    properties.push_back(TextProperty(L"Caption"));
}

TWideBitBtn::TWideBitBtn(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TWideButton(owner, std::move(name), parent, bounds) {}

void TWideBitBtn::DescribeProperties(std::vector<TProperty>& properties) {
    TWideButton::DescribeProperties(properties);
    properties.push_back(HintProperty());
}

TWideSpeedButton::TWideSpeedButton(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TWideBitBtn(owner, std::move(name), parent, bounds) {
    SetWindowLongW(handle_, GWL_STYLE, GetWindowLongW(handle_, GWL_STYLE) | BS_FLAT);
}

// ---- Check boxes and radio buttons --------------------------------------------

TWideCheckBox::TWideCheckBox(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds,
                             const std::wstring& caption)
    : TControl(owner, std::move(name), parent, bounds) {
    CreateHandle(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, caption);
}

bool TWideCheckBox::Checked() const { return SendMessageW(handle_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void TWideCheckBox::SetChecked(bool checked) { SendMessageW(handle_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }

HBRUSH TWideCheckBox::ControlColor(HDC dc) {
    HBRUSH brush = TControl::ControlColor(dc);
    SetBkMode(dc, TRANSPARENT);
    return brush ? brush : GetSysColorBrush(COLOR_BTNFACE);
}

void TWideCheckBox::DescribeProperties(std::vector<TProperty>& properties) {
    TControl::DescribeProperties(properties);
    properties.push_back(TextProperty(L"Caption"));
    properties.push_back(Property<int>(
        L"Checked", [this] { return Checked() ? 1 : 0; }, [this](const int& v) { SetChecked(v != 0); }));
}

TWideRadioButton::TWideRadioButton(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds,
                                   const std::wstring& caption)
    : TWideCheckBox(owner, std::move(name), parent, bounds, caption) {
    SendMessageW(handle_, BM_SETSTYLE, BS_AUTORADIOBUTTON, TRUE);
}

// ---- Group boxes and radio groups -------------------------------------------------

TWideGroupBox::TWideGroupBox(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TControl(owner, std::move(name), parent, bounds) {
    CreateHandle(L"BUTTON", WS_VISIBLE | BS_GROUPBOX);
}

void TWideGroupBox::DescribeProperties(std::vector<TProperty>& properties) {
    TControl::DescribeProperties(properties);
    properties.push_back(TextProperty(L"Caption"));
}

TWideRadioGroup::TWideRadioGroup(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TWideGroupBox(owner, std::move(name), parent, bounds) {}

TWideRadioGroup::~TWideRadioGroup() {
    for (HWND b : buttons_) DestroyWindow(b);
}

std::vector<std::wstring> TWideRadioGroup::Items() const {
    std::vector<std::wstring> items;
    for (HWND b : buttons_) {
        wchar_t text[1024] = {};
        GetWindowTextW(b, text, 1024);
        items.push_back(text);
    }
    return items;
}

// The buttons are siblings of the group box, laid out in one column inside it.
void TWideRadioGroup::SetItems(const std::vector<std::wstring>& items) {
    for (HWND b : buttons_) DestroyWindow(b);
    buttons_.clear();
    for (size_t i = 0; i < items.size(); ++i)
        buttons_.push_back(CreateWindowExW(0, L"BUTTON", items[i].c_str(),
                                           WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0), 0, 0,
                                           0, 0, Parent() ? Parent()->Handle() : nullptr, nullptr,
                                           GetModuleHandleW(nullptr), nullptr));
    PlaceButtons();
}

// Rows of equal height below the group's caption, in design pixels scaled to
// the form's DPI, in the group's own font like the controls the toolkit makes.
void TWideRadioGroup::PlaceButtons() {
    const TBounds box = Bounds();
    const int count = static_cast<int>(buttons_.size());
    const int rowHeight = count == 0 ? 0 : std::max(16, (box.height - 20) / count);
    for (int i = 0; i < count; ++i) {
        const RECT r = ScaleRectToDpi(box.left + 8, box.top + 16 + i * rowHeight, box.width - 16, rowHeight, Dpi());
        HWND b = buttons_[static_cast<size_t>(i)];
        SetWindowPos(b, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(b, WM_SETFONT, SendMessageW(handle_, WM_GETFONT, 0, 0), FALSE);
    }
}

HFONT TWideRadioGroup::ApplyDpi() {
    HFONT retired = TWideGroupBox::ApplyDpi();
    PlaceButtons();
    return retired;
}

int TWideRadioGroup::ItemIndex() const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (SendMessageW(buttons_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
    return -1;
}

void TWideRadioGroup::SetItemIndex(int index) {
    for (size_t i = 0; i < buttons_.size(); ++i)
        SendMessageW(buttons_[i], BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TWideRadioGroup::DescribeProperties(std::vector<TProperty>& properties) {
    TWideGroupBox::DescribeProperties(properties);
    properties.push_back(Property<std::vector<std::wstring>>(
        L"Items", [this] { return Items(); }, [this](const std::vector<std::wstring>& v) { SetItems(v); }));
    properties.push_back(Property<int>(
        L"ItemIndex", [this] { return ItemIndex(); }, [this](const int& v) { SetItemIndex(v); }));
}

// ---- Edits and memos ------------------------------------------------------------

TWideEdit::TWideEdit(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TControl(owner, std::move(name), parent, bounds) {
    CreateHandle(L"EDIT", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
}

void TWideEdit::DescribeProperties(std::vector<TProperty>& properties) {
    TControl::DescribeProperties(properties);
    properties.push_back(TextProperty(L"Text"));
}

TWideMemo::TWideMemo(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds, bool readOnly,
                     bool borderless)
    : TControl(owner, std::move(name), parent, bounds), borderless_(borderless) {
    CreateHandle(L"EDIT", WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | (readOnly ? ES_READONLY : 0),
                 borderless ? 0 : WS_EX_CLIENTEDGE);
}

std::vector<std::wstring> TWideMemo::Lines() const { return SplitLines(Text()); }

void TWideMemo::SetLines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? L"\r\n" : L"") + lines[i];
    SetText(text);
}

// A borderless memo sits on the face colour, like the page around it.
HBRUSH TWideMemo::ControlColor(HDC dc) {
    HBRUSH brush = TControl::ControlColor(dc);
    if (brush || !borderless_) return brush;
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

void TWideMemo::DescribeProperties(std::vector<TProperty>& properties) {
    TControl::DescribeProperties(properties);
    properties.push_back(Property<std::vector<std::wstring>>(
        L"Lines", [this] { return Lines(); }, [this](const std::vector<std::wstring>& v) { SetLines(v); }));
    properties.push_back(TextProperty(L"Text"));
}

// ---- Lists ------------------------------------------------------------------------

TWideComboBox::TWideComboBox(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TControl(owner, std::move(name), parent, {bounds.left, bounds.top, bounds.width, bounds.height + 200}) {
    CreateHandle(L"COMBOBOX", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST);
}

std::vector<std::wstring> TWideComboBox::Items() const {
    std::vector<std::wstring> items;
    for (int i = 0; i < Count(); ++i) {
        const LRESULT length = SendMessageW(handle_, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(handle_, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        items.push_back(text);
    }
    return items;
}

void TWideComboBox::SetItems(const std::vector<std::wstring>& items) {
    SendMessageW(handle_, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : items) AddItem(item, 0);
}

void TWideComboBox::AddItem(const std::wstring& text, int tag) {
    const LRESULT at = SendMessageW(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (at >= 0) SendMessageW(handle_, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(tag));
}

void TWideComboBox::DeleteItem(int index) { SendMessageW(handle_, CB_DELETESTRING, static_cast<WPARAM>(index), 0); }
int TWideComboBox::Count() const { return static_cast<int>(SendMessageW(handle_, CB_GETCOUNT, 0, 0)); }
int TWideComboBox::ItemTag(int index) const {
    return static_cast<int>(SendMessageW(handle_, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}
int TWideComboBox::ItemIndex() const { return static_cast<int>(SendMessageW(handle_, CB_GETCURSEL, 0, 0)); }
void TWideComboBox::SetItemIndex(int index) { SendMessageW(handle_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void TWideComboBox::Notify(WORD code) {
    if (code == CBN_SELCHANGE && OnClick) OnClick(*this);
}

void TWideComboBox::DescribeProperties(std::vector<TProperty>& properties) {
    TControl::DescribeProperties(properties);
    properties.push_back(Property<std::vector<std::wstring>>(
        L"Items", [this] { return Items(); }, [this](const std::vector<std::wstring>& v) { SetItems(v); }));
    properties.push_back(Property<int>(
        L"ItemIndex", [this] { return ItemIndex(); }, [this](const int& v) { SetItemIndex(v); }));
}

TListBox::TListBox(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TControl(owner, std::move(name), parent, bounds) {
    CreateHandle(L"LISTBOX", WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, WS_EX_CLIENTEDGE);
}

// The items are 8-bit texts in the ANSI code page, as the list keeps them.
std::vector<std::string> TListBox::Items() const {
    std::vector<std::string> items;
    const int count = static_cast<int>(SendMessageW(handle_, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(handle_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(handle_, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        items.push_back(WideToAnsi(text));
    }
    return items;
}

void TListBox::SetItems(const std::vector<std::string>& items) {
    SendMessageW(handle_, LB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) {
        const std::wstring wide = AnsiToWide(item);
        SendMessageW(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
}

void TListBox::DescribeProperties(std::vector<TProperty>& properties) {
    TControl::DescribeProperties(properties);
    properties.push_back(Property<std::vector<std::string>>(
        L"Items", [this] { return Items(); }, [this](const std::vector<std::string>& v) { SetItems(v); }));
}

// ---- Panels and progress bars ----------------------------------------------------------

TPanel::TPanel(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TContainer(owner, std::move(name), parent, bounds) {}

bool TPanel::HandleMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != WM_PAINT) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle_, &paint);
    RECT client;
    GetClientRect(handle_, &client);
    // A raised edge one pixel wide at 100 %, as many pixels as the DPI holds 96 on a denser screen.
    RECT edge = client;
    for (int line = std::max(1, Dpi() / kDesignDpi); line > 0 && edge.right > edge.left && edge.bottom > edge.top;
         --line) {
        DrawEdge(dc, &edge, BDR_RAISEDOUTER, BF_RECT);
        InflateRect(&edge, -1, -1);
    }
    if (!caption_.empty()) {
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ previous = SelectObject(dc, CurrentFont());
        DrawTextA(dc, caption_.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, previous);
    }
    EndPaint(handle_, &paint);
    result = 0;
    return true;
}

void TPanel::DescribeProperties(std::vector<TProperty>& properties) {
    TContainer::DescribeProperties(properties);
    properties.push_back(Property<std::string>(
        L"Caption", [this] { return caption_; },
        [this](const std::string& v) {
            caption_ = v;
            InvalidateRect(handle_, nullptr, TRUE);
        }));
}

TProgressBar::TProgressBar(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds)
    : TControl(owner, std::move(name), parent, bounds) {
    InitCommonControlClasses(ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES);
    CreateHandle(PROGRESS_CLASSW, WS_VISIBLE);
    SendMessageW(handle_, PBM_SETRANGE32, 0, 100);
}

int TProgressBar::Position() const { return static_cast<int>(SendMessageW(handle_, PBM_GETPOS, 0, 0)); }
void TProgressBar::SetPosition(int position) { SendMessageW(handle_, PBM_SETPOS, static_cast<WPARAM>(position), 0); }

void TProgressBar::DescribeProperties(std::vector<TProperty>& properties) {
    TControl::DescribeProperties(properties);
    properties.push_back(Property<int>(
        L"Position", [this] { return Position(); }, [this](const int& v) { SetPosition(v); }));
}
