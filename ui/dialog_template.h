// Writes a dialog template in the system's standard in-memory format: a
// DLGTEMPLATE header with its menu, class, title and font fields, then one
// DLGITEMTEMPLATE record per control. Strings are UTF-16, converted from the
// ANSI code page; every record is padded to a multiple of 4 bytes.
//
// Run it twice: without a buffer it only measures, with one it writes.
#pragma once

#include <stddef.h>
#include <windows.h>

// A menu or window class given by name, or by a number below 0x10000.
struct TemplateName {
    const char* text;
    WORD number;
    static TemplateName named(const char* text) { return TemplateName{text, 0}; }
    static TemplateName numbered(WORD number) { return TemplateName{nullptr, number}; }
    static TemplateName none() { return TemplateName{"", 0}; }
};

struct TemplateBox {
    short x, y, width, height;
};

class DialogTemplateBuilder {
public:
    // `buffer` null measures; otherwise it must hold the measured size.
    explicit DialogTemplateBuilder(BYTE* buffer) : buffer_(buffer) {}

    // The font fields are written only when `faceName` is given.
    void header(DWORD style, DWORD extendedStyle, const TemplateBox& box, const TemplateName& menu,
                const TemplateName& windowClass, const char* title, WORD pointSize, const char* faceName);

    // WS_CHILD and WS_VISIBLE are added to `style`. No creation data.
    void control(DWORD style, DWORD extendedStyle, const TemplateBox& box, WORD id, const TemplateName& windowClass,
                 const char* text);

    // Stores the number of controls written in the header.
    void finish();

    size_t size() const { return offset_; }
    WORD controlCount() const { return controls_; }

private:
    void word(WORD value);
    void dword(DWORD value);
    void box(const TemplateBox& box);
    void text(const char* ansi);
    void name(const TemplateName& name);
    void padToDword();

    BYTE* buffer_;
    size_t offset_ = 0;
    WORD controls_ = 0;
};
