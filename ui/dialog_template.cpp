#include "ui/dialog_template.h"

#include <string.h>

namespace {

const int TEMPLATE_STRING_MAX = 1024;  // UTF-16 units, terminator included
const size_t CONTROL_COUNT_OFFSET = 8; // DLGTEMPLATE: style, extended style, count

}  // namespace

void DialogTemplateBuilder::word(WORD value) {
    if (buffer_) memcpy(buffer_ + offset_, &value, sizeof value);
    offset_ += sizeof value;
}

void DialogTemplateBuilder::dword(DWORD value) {
    if (buffer_) memcpy(buffer_ + offset_, &value, sizeof value);
    offset_ += sizeof value;
}

void DialogTemplateBuilder::box(const TemplateBox& b) {
    word(static_cast<WORD>(b.x));
    word(static_cast<WORD>(b.y));
    word(static_cast<WORD>(b.width));
    word(static_cast<WORD>(b.height));
}

void DialogTemplateBuilder::text(const char* ansi) {
    WCHAR wide[TEMPLATE_STRING_MAX];
    int units = (ansi && *ansi) ? MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, TEMPLATE_STRING_MAX) : 0;
    if (units <= 0) {
        // Empty, or too long for the field: a single zero word.
        wide[0] = 0;
        units = 1;
    }
    for (int i = 0; i < units; ++i) word(wide[i]);
}

void DialogTemplateBuilder::name(const TemplateName& n) {
    if (n.text) {
        text(n.text);
    } else {
        word(0xFFFF);
        word(n.number);
    }
}

void DialogTemplateBuilder::padToDword() {
    while (offset_ % 4) {
        if (buffer_) buffer_[offset_] = 0;
        ++offset_;
    }
}

void DialogTemplateBuilder::header(DWORD style, DWORD extendedStyle, const TemplateBox& b, const TemplateName& menu,
                                   const TemplateName& windowClass, const char* title, WORD pointSize,
                                   const char* faceName) {
    dword(style);
    dword(extendedStyle);
    word(0);  // the control count, stored by finish()
    box(b);
    name(menu);
    name(windowClass);
    text(title);
    if (faceName) {
        word(pointSize);
        text(faceName);
    }
    padToDword();
}

void DialogTemplateBuilder::control(DWORD style, DWORD extendedStyle, const TemplateBox& b, WORD id,
                                    const TemplateName& windowClass, const char* caption) {
    dword(style | WS_CHILD | WS_VISIBLE);
    dword(extendedStyle);
    box(b);
    word(id);
    name(windowClass);
    text(caption);
    word(0);  // no creation data
    padToDword();
    ++controls_;
}

void DialogTemplateBuilder::finish() {
    if (buffer_) memcpy(buffer_ + CONTROL_COUNT_OFFSET, &controls_, sizeof controls_);
}
