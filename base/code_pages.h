// Text from one code page to another. The launcher is an ANSI program; in
// Unicode mode (a manifest entry makes the process's ANSI code page UTF-8)
// every ANSI call takes and gives UTF-8, and the few texts that come in
// another code page are converted here.
#pragma once

#include <stddef.h>
#include <windows.h>

#include "base/text.h"

// Whether this process runs in Unicode mode: its ANSI code page is UTF-8.
bool isUnicodeMode();

// The first position at or after `at` where a character of the code page
// (CP_ACP: the process's) begins, so that a cut there halves none: past
// UTF-8's continuation bytes, or past a double-byte character's trail
// byte, for which the text is read from its start, itself a character's.
size_t characterStartFrom(const char* text, size_t length, size_t at, UINT codePage = CP_ACP);

// The text converted through UTF-16; a character that `to` lacks becomes
// its default character ("?"). Empty when the input is empty or longer
// than MAX_CONVERTED_INPUT.
Text convertCodePage(const char* bytes, size_t length, UINT from, UINT to);

const size_t MAX_CONVERTED_INPUT = 16 * 1024 * 1024;

// An environment variable read in UTF-16 and converted to the ANSI code
// page; empty when it is absent. Unicode mode reads the environment so:
// Wine's ANSI call counts the value in UTF-16 units and cuts its UTF-8
// text there.
Text environmentVariableThroughUtf16(const char* name);

// An environment variable in the ANSI code page, through UTF-16 in Unicode
// mode; empty when it is absent or does not fit the system's limit.
Text environmentVariable(const char* name);
