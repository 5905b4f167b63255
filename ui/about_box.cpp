#include "ui/about_box.h"

#include <shellapi.h>

#include "common/buffers.h"
#include "common/path.h"
#include "common/system_library.h"
#include "common/text.h"
#include "launcher/startup.h"
#include "skin/texture.h"
#include "ui/dialog_template.h"
#include "ui/file_version.h"

const char AboutGuidePage[] = "guide\\guide.html";
const char AboutLinkText[] = "[ User guide ]";
AboutSeams AboutShell = {ShellExecuteA};
HBITMAP AboutPicture = nullptr;

namespace {

const char AboutCaption[] = "About Stowlet";
const char LinkProcProperty[] = "_Hyperlink_Original_Proc_";
const char LinkFontProperty[] = "_Hyperlink_Original_Font_";
const char LinkUnderlineProperty[] = "_Hyperlink_Underline_Font_";
constexpr COLORREF LinkColor = 0xC40000; // blue 196
constexpr size_t AboutTemplateCapacity = 1024;

// The two arguments of RunAboutDialog, handed to the dialog procedure.
struct AboutStart {
    HWND owner;
    HICON icon;
};

const DialogControl AboutControls[] = {
    {0x50008357, 8, 5, 283, 266, AboutFrameId, ClassButton, nullptr, " Stowlet "},
    {0x50000101, 117, 266, 70, 12, AboutLinkId, ClassStatic, nullptr, AboutLinkText},
    {0x50018011, 117, 282, 70, 16, AboutOkId, ClassButton, nullptr, "OK"},
};

size_t WidenAnsi(const char* text, uint16_t* output, size_t capacity)
{
    const int room = capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(capacity);
    const int words = MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(output), room);
    return words > 0 ? static_cast<size_t>(words) : 0;
}

void SetVersionCaption(HWND dialog)
{
    char version[PathCapacity];
    if (!ReadFileVersion(OwnPath, version, sizeof version)) return;
    // The whole text always fits the larger buffer; a caption too long for its own buffer then
    // shows cut with "..." rather than cut silently.
    char full[TextCapacity];
    if (!TextCopy(full, AboutCaption) || !TextAppend(full, " - Version: ") || !TextAppend(full, version)) return;
    char caption[PathCapacity];
    TextCopyForDisplay(caption, sizeof caption, full);
    SetWindowTextA(dialog, caption);
}

// After a move the desktop behind the old place is redrawn, so no stale texture stays there.
void RedrawScreenUnder(HWND window)
{
    RECT area;
    if (GetWindowRect(window, &area)) RedrawWindow(GetDesktopWindow(), &area, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// The guide that the zip puts beside the exe; without it the exe's own folder, where whatever
// came with the exe lies.
void OpenGuide(HWND dialog)
{
    char target[TextCapacity];
    char page[TextCapacity];
    if (!FolderOfPath(OwnPath, target) || target[0] == '\0') return;
    if (TextCopy(page, target) && TextAppend(page, AboutGuidePage)) {
        const DWORD attributes = GetFileAttributesA(page);
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) && !TextCopy(target, page)) return;
    }
    AboutShell.shellExecute(dialog, nullptr, target, nullptr, nullptr, SW_SHOWDEFAULT);
}

void ForgetPicture()
{
    if (AboutPicture) DeleteObject(AboutPicture);
    AboutPicture = nullptr;
}

WNDPROC OriginalProc(HWND window)
{
    return reinterpret_cast<WNDPROC>(GetPropA(window, LinkProcProperty));
}

LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC original = OriginalProc(window);
    return original ? CallWindowProcA(original, window, message, wParam, lParam)
                    : DefWindowProcA(window, message, wParam, lParam);
}

void SelectLinkFont(HWND control, const char* property)
{
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetPropA(control, property)), FALSE);
    InvalidateRect(control, nullptr, TRUE);
}

} // namespace

void RunAboutDialog(HWND owner, HICON icon)
{
    alignas(4) unsigned char block[AboutTemplateCapacity] = {};
    const DialogHeader header = {0x00080840, 0, 0, 0, 304, 324, AboutCaption, 8, "MS Sans Serif"};
    if (!BuildDialogTemplate(header, AboutControls, 3, block, sizeof block, WidenAnsi)) return;
    AboutStart start = {owner, icon};
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(block), owner, AboutDlgProc,
                            reinterpret_cast<LPARAM>(&start));
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        const AboutStart* start = reinterpret_cast<const AboutStart*>(lParam);
        if (start) SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(start->icon));
        ForgetPicture();
        AboutPicture = LoadPictureResource(nullptr, AboutPictureResource);
        MakeHyperlink(dialog, AboutLinkId);
        SetVersionCaption(dialog);
        return FALSE;
    }
    case WM_PAINT:
        PaintPicture(dialog, 24, 26, 400, 400);
        return FALSE;
    case WM_ERASEBKGND:
        return EraseWithTexture(dialog, reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(TextureBrushFor(reinterpret_cast<HDC>(wParam)));
    case WM_WINDOWPOSCHANGED:
        RedrawScreenUnder(dialog);
        return FALSE;
    case WM_COMMAND:
        if (wParam == AboutOkId) EndDialog(dialog, 0);
        else if (wParam == AboutLinkId) OpenGuide(dialog);
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return FALSE;
    case WM_DESTROY:
        // Made anew at each opening, so each closing lets it go.
        ForgetPicture();
        return FALSE;
    default:
        return FALSE;
    }
}

BOOL MakeHyperlink(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control) return FALSE;
    // A second call on the same link would keep HyperlinkProc as its own previous procedure.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC)) == HyperlinkProc) return TRUE;

    // Several links in one dialog subclass it once.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(dialog, GWLP_WNDPROC)) != HyperlinkParentProc) {
        SetPropA(dialog, LinkProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrA(dialog, GWLP_WNDPROC)));
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HyperlinkParentProc));
    }

    SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | SS_NOTIFY);
    SetPropA(control, LinkProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrA(control, GWLP_WNDPROC)));
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HyperlinkProc));

    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    SetPropA(control, LinkFontProperty, font);
    LOGFONTA description = {};
    if (GetObjectA(font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT), sizeof description, &description)) {
        description.lfUnderline = 1;
        HFONT underline = CreateFontIndirectA(&description);
        if (underline) SetPropA(control, LinkUnderlineProperty, underline);
    }
    return TRUE;
}

LRESULT CALLBACK HyperlinkParentProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (!control || !GetPropA(control, LinkProcProperty)) break;
        // The dialog chooses background and brush as usual; the link only changes the text colour.
        const LRESULT result = PassOn(dialog, message, wParam, lParam);
        SetTextColor(reinterpret_cast<HDC>(wParam), LinkColor);
        return result;
    }
    case WM_DESTROY: {
        WNDPROC original = OriginalProc(dialog);
        if (original) {
            SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
            RemovePropA(dialog, LinkProcProperty);
            return CallWindowProcA(original, dialog, message, wParam, lParam);
        }
        break;
    }
    default:
        break;
    }
    return PassOn(dialog, message, wParam, lParam);
}

LRESULT CALLBACK HyperlinkProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        if (GetCapture() != control) {
            // The pointer has just come onto the link: hold the capture to see it leave.
            SelectLinkFont(control, LinkUnderlineProperty);
            SetCapture(control);
        } else {
            POINT pointer = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(control, &pointer);
            RECT area;
            GetWindowRect(control, &area);
            if (!PtInRect(&area, pointer)) {
                SelectLinkFont(control, LinkFontProperty);
                ReleaseCapture();
            }
        }
        break;
    case WM_SETCURSOR: {
        HCURSOR hand = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)); // IDC_HAND
        SetCursor(hand ? hand : LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))); // IDC_ARROW
        return TRUE;
    }
    case WM_DESTROY: {
        WNDPROC original = OriginalProc(control);
        if (original) SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(control, LinkProcProperty);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetPropA(control, LinkFontProperty)), FALSE);
        RemovePropA(control, LinkFontProperty);
        HANDLE underline = RemovePropA(control, LinkUnderlineProperty);
        if (underline) DeleteObject(static_cast<HGDIOBJ>(underline));
        return original ? CallWindowProcA(original, control, message, wParam, lParam)
                        : DefWindowProcA(control, message, wParam, lParam);
    }
    default:
        break;
    }
    return PassOn(control, message, wParam, lParam);
}

HBITMAP LoadPictureResource(HMODULE, int id)
{
    // Always the program's own module: the picture belongs to the executable.
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "IMAGE");
    const DWORD size = resource ? SizeofResource(nullptr, resource) : 0;
    HGLOBAL loaded = size ? LoadResource(nullptr, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return PictureDataToBitmap(bytes, size);
}

HBITMAP PictureDataToBitmap(const void* data, DWORD size)
{
    if (!data || size == 0) return nullptr;
    auto initialize = SystemFunction<decltype(&CoInitialize)>("ole32.dll", "CoInitialize");
    auto uninitialize = SystemFunction<decltype(&CoUninitialize)>("ole32.dll", "CoUninitialize");
    auto streamOn = SystemFunction<decltype(&CreateStreamOnHGlobal)>("ole32.dll", "CreateStreamOnHGlobal");
    auto loadPicture = SystemFunction<decltype(&OleLoadPicture)>("oleaut32.dll", "OleLoadPicture");
    if (!initialize || !uninitialize || !streamOn || !loadPicture) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    const HRESULT com = initialize(nullptr);
    HBITMAP bitmap = nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    void* bytes = copy ? GlobalLock(copy) : nullptr;
    if (bytes) {
        CopyBytes(data, bytes, size);
        GlobalUnlock(copy);
        IStream* stream = nullptr;
        // The stream owns the copy from here on: releasing it frees the copy, once.
        if (SUCCEEDED(streamOn(copy, TRUE, &stream)) && stream) {
            copy = nullptr;
            IPicture* picture = nullptr;
            if (SUCCEEDED(loadPicture(stream, 0, TRUE, IID_IPicture, reinterpret_cast<void**>(&picture))) && picture) {
                bitmap = RenderPictureToBitmap(picture);
                picture->Release();
            }
            stream->Release();
        }
    }
    if (copy) GlobalFree(copy);
    if (SUCCEEDED(com)) uninitialize();
    return bitmap;
}

HBITMAP RenderPictureToBitmap(IPicture* picture)
{
    if (!picture) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HDC screen = GetDC(nullptr);
    if (!screen) return nullptr;
    HDC memory = CreateCompatibleDC(screen);
    if (!memory) {
        ReleaseDC(nullptr, screen);
        return nullptr;
    }
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    // HIMETRIC is 0.01 mm: 2540 to the inch.
    const int pixelsWide = MulDiv(width, GetDeviceCaps(screen, LOGPIXELSX), 2540);
    const int pixelsHigh = MulDiv(height, GetDeviceCaps(screen, LOGPIXELSY), 2540);
    HBITMAP bitmap = pixelsWide > 0 && pixelsHigh > 0 ? CreateCompatibleBitmap(screen, pixelsWide, pixelsHigh) : nullptr;
    HGDIOBJ previous = bitmap ? SelectObject(memory, bitmap) : nullptr;
    if (!previous) {
        if (bitmap) DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // HIMETRIC runs bottom-up: start at the picture's height and go up by it.
    const HRESULT drawn = picture->Render(memory, 0, 0, pixelsWide, pixelsHigh, 0, height, width, -height, nullptr);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (FAILED(drawn)) {
        DeleteObject(bitmap);
        SetLastError(static_cast<DWORD>(drawn));
        return nullptr;
    }
    return bitmap;
}

void PaintPicture(HWND window, int x, int y, int width, int height)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc) return;
    // Without a picture the area keeps the texture.
    if (AboutPicture) {
        HDC memory = CreateCompatibleDC(dc);
        if (memory) {
            HGDIOBJ previous = SelectObject(memory, AboutPicture);
            BitBlt(dc, x, y, width, height, memory, 0, 0, SRCCOPY);
            SelectObject(memory, previous);
            DeleteDC(memory);
        }
    }
    EndPaint(window, &paint);
}
