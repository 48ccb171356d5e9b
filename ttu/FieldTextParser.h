// The two texts by which the host names form fields, turned into the
// name=value and name multi-strings a form write and a form read carry.
//
// Field-values text (a form write): entries separated by single commas, each
// optional blanks, a name (ASCII letters, digits, "_", "-"), an optional
// index "[digits]" right after the name (blanks inside dropped), optional
// blanks, "=", and the value: everything up to the next single comma, blanks
// and "=" included; a doubled comma in a value stands for one comma. The text
// must end inside a value.
//
// Field-names text (a form read): names separated by commas, blanks around
// a name dropped; a trailing comma is accepted, an empty entry is not.
//
// Both machines read one character at a time and write at most one character
// per character read, plus the two zeros that end the list, so the output
// needs (text length + 2) characters. The same machines run over narrow
// (ANSI) and wide text: only ASCII characters have a role, every other
// character is "other" (an error outside a value, copied inside one).
#pragma once

#include <cstddef>

namespace FieldText {

template <typename CharT> inline bool IsBlank(CharT c)
{
    return c == CharT(' ');
}
template <typename CharT> inline bool IsDigit(CharT c)
{
    return c >= CharT('0') && c <= CharT('9');
}
template <typename CharT> inline bool IsNameChar(CharT c)
{
    return (c >= CharT('A') && c <= CharT('Z')) || (c >= CharT('a') && c <= CharT('z')) ||
           IsDigit(c) || c == CharT('_') || c == CharT('-');
}

// Steps over the blanks before a name. True when a name starts at p; false
// when the text ends there or any other character stands there.
template <typename CharT> bool SkipToName(const CharT *&p)
{
    while (IsBlank(*p))
        ++p;
    return IsNameChar(*p);
}

// Writes the name=value list of the zero-terminated text into pOut (room for
// length + 2 characters). False when the text is invalid; pOut then holds a
// partial list that means nothing.
template <typename CharT> bool ParseValues(const CharT *pText, CharT *pOut)
{
    enum State { Start, Name, Index, AfterName, Value, Comma };
    State state = Start;
    const CharT *p = pText;
    for (;;) {
        CharT c = *p;
        if (c == CharT(0)) {
            if (state != Value)
                return false;
            *pOut++ = CharT(0);
            *pOut = CharT(0);
            return true;
        }
        switch (state) {
        case Start:
            if (!SkipToName(p))
                return false;
            state = Name;
            break;
        case Name:
            if (IsNameChar(c)) {
                *pOut++ = *p++;
            } else if (IsBlank(c)) {
                state = AfterName;
            } else if (c == CharT('=')) {
                *pOut++ = *p++;
                state = Value;
            } else if (c == CharT('[')) {
                *pOut++ = *p++;
                state = Index;
            } else {
                return false;
            }
            break;
        case Index:
            if (IsBlank(c)) {
                ++p;
            } else if (c == CharT(']')) {
                *pOut++ = *p++;
                state = AfterName;
            } else if (IsDigit(c)) {
                *pOut++ = *p++;
            } else {
                return false;
            }
            break;
        case AfterName:
            if (IsBlank(c)) {
                ++p;
            } else if (c == CharT('=')) {
                *pOut++ = *p++;
                state = Value;
            } else {
                return false;
            }
            break;
        case Value:
            if (c == CharT(','))
                state = Comma;
            else
                *pOut++ = c;
            ++p;
            break;
        case Comma:
            if (c == CharT(',')) {
                *pOut++ = *p++;
                state = Value;
            } else {
                // The comma before this character separated two entries.
                *pOut++ = CharT(0);
                state = Start;
            }
            break;
        }
    }
}

// Writes the name list of the zero-terminated text into pOut (room for
// length + 2 characters). False when the text is invalid.
template <typename CharT> bool ParseNames(const CharT *pText, CharT *pOut)
{
    enum State { Start, Name, AfterName };
    State state = Start;
    for (const CharT *p = pText; *p != CharT(0);) {
        CharT c = *p;
        switch (state) {
        case Start:
            // The text may end after the last comma: a trailing comma is allowed.
            if (SkipToName(p))
                state = Name;
            else if (*p != CharT(0))
                return false;
            break;
        case Name:
        case AfterName:
            if (state == Name && IsNameChar(c)) {
                *pOut++ = *p++;
            } else if (IsBlank(c)) {
                state = AfterName;
                ++p;
            } else if (c == CharT(',')) {
                *pOut++ = CharT(0);
                ++p;
                state = Start;
            } else {
                return false;
            }
            break;
        }
    }
    *pOut++ = CharT(0);
    *pOut = CharT(0);
    return true;
}

} // namespace FieldText
