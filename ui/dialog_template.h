// Dialog templates built in memory: the system's DLGTEMPLATE / DLGITEMTEMPLATE byte layout,
// written by plain code free of any platform call so the bytes can be checked natively.
#pragma once

#include <cstddef>
#include <cstdint>

// Converts a NUL-terminated text of the program (UTF-8) into UTF-16 words at output, which has
// room for capacity words. Returns the words written including the terminator; 0 when the text did not fit.
using WideTextConverter = size_t (*)(const char* text, uint16_t* output, size_t capacity);

// Widens each byte as it stands: exact for ASCII, which every text of the templates is. The
// converter of the native build and of the byte tests; Windows builds convert UTF-8.
size_t WidenBytes(const char* text, uint16_t* output, size_t capacity);

// Predefined window classes, written as 0xFFFF and the atom.
constexpr uint16_t ClassButton = 0x0080;
constexpr uint16_t ClassEdit = 0x0081;
constexpr uint16_t ClassStatic = 0x0082;

struct DialogHeader {
    uint32_t style;
    uint32_t exStyle;
    int16_t x, y, cx, cy;
    const char* caption;
    uint16_t pointSize;  // with DS_SETFONT in style
    const char* font;
};

struct DialogControl {
    uint32_t style;
    int16_t x, y, cx, cy;
    uint16_t id;
    uint16_t classAtom;     // a predefined class, or 0 when className names it
    const char* className;  // used when classAtom is 0
    const char* text;       // empty text: a single zero word
};

// A fixed block being filled from its start. Once something did not fit, overflow stays set
// and nothing more is written.
struct TemplateWriter {
    unsigned char* block;
    size_t capacity;
    size_t used;
    bool overflow;
    WideTextConverter convert;
};

void WriteBytes(TemplateWriter& writer, const void* bytes, size_t count);
template <typename T> void Write(TemplateWriter& writer, T value) { WriteBytes(writer, &value, sizeof value); }
// The text as NUL-terminated UTF-16, converted straight into the block.
void WriteString(TemplateWriter& writer, const char* text);
// Zero bytes up to the next 4-byte boundary of the block.
void AlignToDword(TemplateWriter& writer);

// Writes the header and count controls into block (which must start on a 4-byte boundary).
// Returns the bytes used, or 0 when the template does not fit capacity; the block's bytes are
// then of no use and must not be handed to the system.
size_t BuildDialogTemplate(const DialogHeader& header, const DialogControl* controls, uint16_t count, void* block,
                           size_t capacity, WideTextConverter convert);
