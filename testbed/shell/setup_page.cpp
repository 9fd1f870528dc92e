// The setup page dialog. Its template is empty; the lines are made when the
// dialog opens, one per row, in the order of the plug-in's table.
#include "testbed/shell/setup_page.h"

#include "testbed/shell/setup_rows.h"

#include <commctrl.h>
#include <commdlg.h>
#include <string>
#include <vector>

namespace {

constexpr int kMargin = 10;
constexpr int kLineHeight = 22;
constexpr int kLineGap = 3;
constexpr int kLabelWidth = 200;
constexpr int kValueWidth = 230;
constexpr int kBrowseWidth = 70;
constexpr int kSpinWidth = 16;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kPageWidth = kMargin + kLabelWidth + kValueWidth + kBrowseWidth + 3 * kMargin;

struct PageState {
    int configId;
    const PluginDescriptor* descriptor;
    std::vector<SetupRow> rows;
    std::vector<SetupValue> values;
    bool saved = false;
};

HWND AddControl(HWND page, const char* className, const char* text, DWORD style, int x, int y, int width,
                int height, int id, DWORD exStyle = 0) {
    HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                   page, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(page, GWLP_HINSTANCE)), nullptr);
    SendMessageA(control, WM_SETFONT, SendMessageA(page, WM_GETFONT, 0, 0), FALSE);
    return control;
}

void AddHeading(HWND page, const SetupRow& row, int index, int y) {
    AddControl(page, "STATIC", row.label.c_str(), SS_LEFT, kMargin, y + 4, kLabelWidth, kLineHeight - 4,
               SetupControlId(index, ROW_PART_LABEL));
    AddControl(page, "STATIC", "", SS_ETCHEDHORZ, kMargin + kLabelWidth, y + kLineHeight / 2,
               kValueWidth + kBrowseWidth + kMargin, 2, SetupControlId(index, ROW_PART_VALUE));
}

void AddNumberLine(HWND page, const SetupRow& row, const SetupValue& value, int index, int y) {
    const int x = kMargin + kLabelWidth;
    HWND edit = AddControl(page, "EDIT", std::to_string(value.number).c_str(), ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER,
                           x, y, 70, kLineHeight, SetupControlId(index, ROW_PART_VALUE));
    HWND spin = AddControl(page, UPDOWN_CLASSA, "",
                           UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, x + 70, y, kSpinWidth,
                           kLineHeight, SetupControlId(index, ROW_PART_SPIN));
    SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SendMessageA(spin, UDM_SETRANGE32, row.low, row.high);
    SendMessageA(spin, UDM_SETPOS32, 0, value.number);
    const std::string bounds = std::to_string(row.low) + " .. " + std::to_string(row.high);
    AddControl(page, "STATIC", bounds.c_str(), SS_LEFT, x + 100, y + 3, kValueWidth - 100, kLineHeight - 3, -1);
}

void AddChoiceLine(HWND page, const SetupRow& row, const SetupValue& value, int index, int y) {
    HWND combo = AddControl(page, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, kMargin + kLabelWidth,
                            y, kValueWidth, kLineHeight * 6, SetupControlId(index, ROW_PART_VALUE));
    for (const std::string& choice : row.choices) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
    SendMessageA(combo, CB_SETCURSEL, value.number, 0);
}

void AddPathLine(const SetupValue& value, HWND page, int index, int y) {
    HWND edit = AddControl(page, "EDIT", value.text.c_str(), ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER,
                           kMargin + kLabelWidth, y, kValueWidth, kLineHeight, SetupControlId(index, ROW_PART_VALUE));
    SendMessageA(edit, EM_LIMITTEXT, kSetupTextMax, 0);
    AddControl(page, "BUTTON", "Browse...", BS_PUSHBUTTON | WS_TABSTOP, kMargin * 2 + kLabelWidth + kValueWidth, y,
               kBrowseWidth, kLineHeight, SetupControlId(index, ROW_PART_BROWSE));
}

void AddLine(HWND page, const SetupRow& row, const SetupValue& value, int index, int y) {
    if (row.type == RowType::Heading) {
        AddHeading(page, row, index, y);
        return;
    }
    if (row.type == RowType::CheckBox) {
        HWND box = AddControl(page, "BUTTON", row.label.c_str(), BS_AUTOCHECKBOX | WS_TABSTOP, kMargin * 2, y,
                              kLabelWidth + kValueWidth, kLineHeight, SetupControlId(index, ROW_PART_VALUE));
        SendMessageA(box, BM_SETCHECK, value.number ? BST_CHECKED : BST_UNCHECKED, 0);
        return;
    }
    AddControl(page, "STATIC", row.label.c_str(), SS_LEFT, kMargin * 2, y + 3, kLabelWidth - kMargin,
               kLineHeight - 3, SetupControlId(index, ROW_PART_LABEL));
    switch (row.type) {
    case RowType::Integer: AddNumberLine(page, row, value, index, y); break;
    case RowType::Choice: AddChoiceLine(page, row, value, index, y); break;
    case RowType::ProgramPath:
    case RowType::Picture: AddPathLine(value, page, index, y); break;
    default: break;
    }
}

void BuildPage(HWND page, PageState* state) {
    const std::string title = kSetupPageTitlePrefix + std::string(state->descriptor->name ? state->descriptor->name : "");
    SetWindowTextA(page, title.c_str());
    int y = kMargin;
    for (size_t i = 0; i < state->rows.size(); ++i) {
        AddLine(page, state->rows[i], state->values[i], static_cast<int>(i), y);
        y += kLineHeight + kLineGap;
    }
    y += kMargin;
    const int okX = kPageWidth - 2 * (kButtonWidth + kMargin);
    AddControl(page, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, okX, y, kButtonWidth, kButtonHeight, IDOK);
    AddControl(page, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, okX + kButtonWidth + kMargin, y, kButtonWidth,
               kButtonHeight, IDCANCEL);
    RECT frame = {0, 0, kPageWidth, y + kButtonHeight + kMargin};
    AdjustWindowRectEx(&frame, GetWindowLongA(page, GWL_STYLE), FALSE, GetWindowLongA(page, GWL_EXSTYLE));
    SetWindowPos(page, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string ControlText(HWND page, int id) {
    char text[kSetupTextMax + 1] = {};
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

void CollectValues(HWND page, PageState* state) {
    for (size_t i = 0; i < state->rows.size(); ++i) {
        const int id = SetupControlId(static_cast<int>(i), ROW_PART_VALUE);
        SetupValue& value = state->values[i];
        switch (state->rows[i].type) {
        case RowType::CheckBox: value.number = IsDlgButtonChecked(page, id) == BST_CHECKED ? 1 : 0; break;
        case RowType::Integer: {
            BOOL ok = FALSE;
            const int number = static_cast<int>(GetDlgItemInt(page, id, &ok, TRUE));
            if (ok) value.number = ClampToRow(state->rows[i], number);
            break;
        }
        case RowType::Choice: {
            const LRESULT selected = SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0);
            if (selected != CB_ERR) value.number = static_cast<int>(selected);
            break;
        }
        case RowType::ProgramPath:
        case RowType::Picture: value.text = ControlText(page, id); break;
        default: break;
        }
    }
}

void Browse(HWND page, const SetupRow& row, int index) {
    const int id = SetupControlId(index, ROW_PART_VALUE);
    char path[kSetupTextMax + 1] = {};
    lstrcpynA(path, ControlText(page, id).c_str(), sizeof path);
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = page;
    dialog.lpstrFilter = row.type == RowType::Picture ? "Bitmaps (*.bmp)\0*.bmp\0All files\0*.*\0"
                                                      : "Programs (*.exe)\0*.exe\0All files\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&dialog)) SetDlgItemTextA(page, id, path);
}

bool OnCommand(HWND page, PageState* state, int id) {
    if (id == IDOK) {
        CollectValues(page, state);
        SaveSetupValues(state->configId, state->descriptor->section ? state->descriptor->section : "", state->rows,
                        state->values);
        state->saved = true;
        EndDialog(page, IDOK);
        return true;
    }
    if (id == IDCANCEL) {
        EndDialog(page, IDCANCEL);
        return true;
    }
    const int row = (id - kSetupFirstRowId) / kSetupIdsPerRow;
    if (id >= kSetupFirstRowId && (id - kSetupFirstRowId) % kSetupIdsPerRow == ROW_PART_BROWSE &&
        row < static_cast<int>(state->rows.size())) {
        Browse(page, state->rows[row], row);
        return true;
    }
    return false;
}

INT_PTR CALLBACK SetupPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<PageState*>(GetWindowLongPtrA(page, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(page, DWLP_USER, lParam);
        BuildPage(page, reinterpret_cast<PageState*>(lParam));
        return TRUE;
    case WM_COMMAND:
        return state && HIWORD(wParam) == BN_CLICKED && OnCommand(page, state, LOWORD(wParam));
    default:
        return FALSE;
    }
}

// An empty dialog template in the dialog font; the page sizes itself.
std::vector<WORD> EmptyDialogTemplate() {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(words.data());
    dialog->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
    dialog->cx = 100;
    dialog->cy = 50;
    words.push_back(0);  // no menu
    words.push_back(0);  // the standard dialog class
    words.push_back(0);  // no title yet
    words.push_back(8);  // point size
    for (const char c : std::string("MS Shell Dlg")) words.push_back(static_cast<WORD>(c));
    words.push_back(0);
    return words;
}

}  // namespace

bool RunSetupPage(HWND owner, int configId, const PluginDescriptor& descriptor) {
    PageState state{configId, &descriptor, ReadSetupRows(descriptor.rows, descriptor.rowCount), {}};
    state.values = LoadSetupValues(configId, descriptor.section ? descriptor.section : "", state.rows);
    std::vector<WORD> dialogTemplate = EmptyDialogTemplate();
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<DLGTEMPLATE*>(dialogTemplate.data()), owner,
                            SetupPageProc, reinterpret_cast<LPARAM>(&state));
    return state.saved;
}
