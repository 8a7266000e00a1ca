#pragma once

#include <cstddef>

/**
    A strict check of a state blob's XML text, made before the framework's XML reader sees it.

    The reader trusts its input: it recurses once per nested element, loops for ever on a
    processing instruction inside an element, reads past the text when it ends inside an
    entity, keeps both copies of a repeated attribute, and overflows an int on a number with
    a long exponent. This check accepts a subset of well-formed XML that covers every text the
    framework writes, and refuses the rest.
*/
namespace StateTextCheck
{
    /** How deep elements may nest below the document element's parent. The state is two deep. */
    inline constexpr int maxDepth = 64;

    /** The most attributes one element may have: the reader stores them in a list that the
        value tree then searches once per attribute. The state's elements have two.
    */
    inline constexpr size_t maxAttributes = 256;

    /** The longest number a "value" attribute may start with, in characters. */
    inline constexpr int maxNumberLength = 40;

    /** The most exponent digits a "value" attribute's number may have. */
    inline constexpr int maxExponentDigits = 5;

    /** True when the text (UTF-8, up to its first zero byte or numBytes) is safe to parse:

        - an optional declaration, comments, processing instructions and one document type
          before the document element; the document type declares nothing that is used;
        - one document element; elements nested at most maxDepth deep, every end tag naming
          its start tag; no processing instruction or document type inside it;
        - no attribute twice in one element, at most maxAttributes of them, every attribute
          value quoted and free of '<';
        - every entity one of the five predefined ones (in any case, as the reader allows)
          or a complete character reference of at most 7 digits to a character that UTF-8
          can hold; no raw control characters other than tab, line feed and carriage return;
        - every "value" attribute starting with a number of sane length.

        Whatever follows the document element is ignored, as the reader ignores it.
    */
    bool isSafeToParse (const char* text, size_t numBytes);
}
