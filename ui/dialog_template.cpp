#include "ui/dialog_template.h"

#include "common/text.h"

size_t WidenBytes(const char* text, uint16_t* output, size_t capacity)
{
    size_t length = TextLength(text);
    if (length + 1 > capacity) return 0;
    for (size_t i = 0; i <= length; ++i) output[i] = static_cast<unsigned char>(text[i]);
    return length + 1;
}

void WriteBytes(TemplateWriter& writer, const void* bytes, size_t count)
{
    if (writer.overflow) return;
    if (count > writer.capacity - writer.used) {
        writer.overflow = true;
        return;
    }
    CopyBytes(bytes, writer.block + writer.used, count);
    writer.used += count;
}

void WriteString(TemplateWriter& writer, const char* text)
{
    if (writer.overflow) return;
    // Everything before a text is whole words, so the position is 2-byte aligned here.
    size_t room = (writer.capacity - writer.used) / sizeof(uint16_t);
    size_t words = room ? writer.convert(text, reinterpret_cast<uint16_t*>(writer.block + writer.used), room) : 0;
    if (words == 0) {
        writer.overflow = true;
        return;
    }
    writer.used += words * sizeof(uint16_t);
}

void AlignToDword(TemplateWriter& writer)
{
    static const unsigned char zeros[3] = {};
    WriteBytes(writer, zeros, (4 - writer.used % 4) % 4);
}

size_t BuildDialogTemplate(const DialogHeader& header, const DialogControl* controls, uint16_t count, void* block,
                           size_t capacity, WideTextConverter convert)
{
    TemplateWriter writer = {static_cast<unsigned char*>(block), capacity, 0, false, convert};

    Write<uint32_t>(writer, header.style);
    Write<uint32_t>(writer, header.exStyle);
    Write<uint16_t>(writer, count);
    Write<int16_t>(writer, header.x);
    Write<int16_t>(writer, header.y);
    Write<int16_t>(writer, header.cx);
    Write<int16_t>(writer, header.cy);
    Write<uint16_t>(writer, 0);  // no menu
    Write<uint16_t>(writer, 0);  // the standard dialog class
    WriteString(writer, header.caption);
    Write<uint16_t>(writer, header.pointSize);
    WriteString(writer, header.font);

    for (uint16_t i = 0; i < count; ++i) {
        const DialogControl& control = controls[i];
        AlignToDword(writer);
        Write<uint32_t>(writer, control.style);
        Write<uint32_t>(writer, 0);  // extended style
        Write<int16_t>(writer, control.x);
        Write<int16_t>(writer, control.y);
        Write<int16_t>(writer, control.cx);
        Write<int16_t>(writer, control.cy);
        Write<uint16_t>(writer, control.id);
        if (control.classAtom) {
            Write<uint16_t>(writer, 0xFFFF);
            Write<uint16_t>(writer, control.classAtom);
        } else {
            WriteString(writer, control.className);
        }
        WriteString(writer, control.text);
        Write<uint16_t>(writer, 0);  // no creation data
    }
    return writer.overflow ? 0 : writer.used;
}
