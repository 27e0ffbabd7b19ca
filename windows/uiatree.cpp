// SPDX-License-Identifier: MIT
// Reads a window's controls as a Windows screen reader (Narrator, NVDA) reads them through UI
// Automation, and prints one line per element, depth first:
//   depth <TAB> control type <TAB> automation id <TAB> name <TAB> value <TAB> help text <TAB>
//   the name of its label
// with "-" where an element gives no such property. windows/check-uia.sh runs it under Wine.
//   uiatree.exe TITLE      (a shown top-level window whose title contains TITLE)
// Exits 2 when no such window is found, 1 when UI Automation itself fails.

// windows.h first: the COM and UI Automation headers build on it.
#include <windows.h>

#include <ole2.h>
#include <uiautomation.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t *text, int length = -1)
{
    if (!text || length == 0)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    if (length < 0 && !result.empty())
        result.pop_back(); // the terminating null
    return result;
}

// Workaround: Wine 10 answers the generic GetCurrentPropertyValue and GetCachedPropertyValue with
// stubs; the getters of the properties themselves work. Can go when Wine implements the generic
// calls; reading through them changes nothing the check compares.
std::string text(HRESULT (IUIAutomationElement::*getter)(BSTR *), IUIAutomationElement *element)
{
    BSTR value = nullptr;
    std::string result = "-";
    if (SUCCEEDED((element->*getter)(&value)) && value)
        result = utf8(value, static_cast<int>(SysStringLen(value)));
    SysFreeString(value);
    return result;
}

// The name of the element that labels this one (LabeledBy), or "-".
std::string labelName(IUIAutomationElement *element)
{
    IUIAutomationElement *label = nullptr;
    if (FAILED(element->get_CurrentLabeledBy(&label)) || !label)
        return "-";
    const std::string name = text(&IUIAutomationElement::get_CurrentName, label);
    label->Release();
    return name;
}

const char *controlTypeName(CONTROLTYPEID type)
{
    switch (type) {
    case UIA_ButtonControlTypeId:
        return "Button";
    case UIA_EditControlTypeId:
        return "Edit";
    case UIA_TextControlTypeId:
        return "Text";
    case UIA_WindowControlTypeId:
        return "Window";
    case UIA_PaneControlTypeId:
        return "Pane";
    case UIA_GroupControlTypeId:
        return "Group";
    case UIA_TitleBarControlTypeId:
        return "TitleBar";
    case UIA_CustomControlTypeId:
        return "Custom";
    default:
        return nullptr;
    }
}

// The value of an element with the Value pattern, or "-".
std::string value(IUIAutomationElement *element)
{
    IUIAutomationValuePattern *pattern = nullptr;
    if (FAILED(element->GetCurrentPatternAs(UIA_ValuePatternId, IID_IUIAutomationValuePattern,
                                            reinterpret_cast<void **>(&pattern))) ||
        !pattern)
        return "-";
    BSTR text = nullptr;
    std::string result = "-";
    if (SUCCEEDED(pattern->get_CurrentValue(&text)) && text)
        result = utf8(text, static_cast<int>(SysStringLen(text)));
    SysFreeString(text);
    pattern->Release();
    return result;
}

void print(IUIAutomationElement *element, int depth)
{
    CONTROLTYPEID type = 0;
    element->get_CurrentControlType(&type);
    const char *typeName = controlTypeName(type);
    const std::string typeText = typeName ? typeName : std::to_string(type);
    std::printf("%d\t%s\t%s\t%s\t%s\t%s\t%s\n", depth, typeText.c_str(),
                text(&IUIAutomationElement::get_CurrentAutomationId, element).c_str(),
                text(&IUIAutomationElement::get_CurrentName, element).c_str(),
                value(element).c_str(),
                text(&IUIAutomationElement::get_CurrentHelpText, element).c_str(),
                labelName(element).c_str());
}

// The control view, as screen readers walk it: the elements that are controls, each under the
// nearest control above it.
// Workaround: Wine 10 walks only the raw view (ControlViewWalker, or a walker with any condition
// but true, is a stub), so the elements that are not controls are left out here. Can go when Wine's
// ControlViewWalker walks the window; the check then reads the same lines through it.
void walk(IUIAutomationTreeWalker *walker, IUIAutomationElement *element, int depth)
{
    BOOL isControl = TRUE;
    element->get_CurrentIsControlElement(&isControl);
    if (isControl)
        print(element, depth);
    IUIAutomationElement *child = nullptr;
    walker->GetFirstChildElement(element, &child);
    while (child) {
        walk(walker, child, isControl ? depth + 1 : depth);
        IUIAutomationElement *next = nullptr;
        walker->GetNextSiblingElement(child, &next);
        child->Release();
        child = next;
    }
}

struct Search
{
    std::wstring title;
    HWND window = nullptr;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM data)
{
    auto *search = reinterpret_cast<Search *>(data);
    wchar_t text[512];
    if (IsWindowVisible(window) && GetWindowTextW(window, text, 512) > 0 &&
        std::wstring(text).find(search->title) != std::wstring::npos) {
        search->window = window;
        return FALSE;
    }
    return TRUE;
}

int run(IUIAutomation *automation, const std::wstring &title)
{
    Search search{title};
    EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&search));
    if (!search.window) {
        std::fprintf(stderr, "No window whose title contains \"%s\"\n",
                     utf8(title.c_str()).c_str());
        return 2;
    }
    IUIAutomationTreeWalker *walker = nullptr;
    IUIAutomationElement *window = nullptr;
    HRESULT result = S_OK;
    if (FAILED(result = automation->get_RawViewWalker(&walker)) || !walker) {
        IUIAutomationCondition *everything = nullptr;
        if (SUCCEEDED(result = automation->CreateTrueCondition(&everything))) {
            result = automation->CreateTreeWalker(everything, &walker);
            everything->Release();
        }
    }
    if (FAILED(result) || FAILED(result = automation->ElementFromHandle(search.window, &window)) ||
        !window) {
        std::fprintf(stderr, "UI Automation gives no tree of the window: 0x%08lx\n", result);
        return 1;
    }
    walk(walker, window, 0);
    window->Release();
    walker->Release();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: uiatree.exe TITLE\n");
        return 1;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 1;
    IUIAutomation *automation = nullptr;
    const HRESULT created =
        CoCreateInstance(CLSID_CUIAutomation, nullptr, CLSCTX_INPROC_SERVER, IID_IUIAutomation,
                         reinterpret_cast<void **>(&automation));
    int status = 1;
    if (SUCCEEDED(created)) {
        status = run(automation, argv[1]);
        automation->Release();
    } else {
        std::fprintf(stderr, "CUIAutomation cannot be created: 0x%08lx\n", created);
    }
    std::fflush(stdout);
    CoUninitialize();
    return status;
}
