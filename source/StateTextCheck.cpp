#include "StateTextCheck.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>

namespace
{
    using Name = std::string_view;

    /** A cursor over the text that never reads past its end. */
    class Scanner
    {
    public:
        Scanner (const char* text, size_t numBytes) noexcept
            : position (text), end (text + numBytes)
        {
            if (const auto* zero = static_cast<const char*> (std::memchr (text, 0, numBytes)))
                end = zero;
        }

        bool check()
        {
            return skipProlog() && readElement (1);
        }

    private:
        const char* position;
        const char* end;

        //==============================================================================
        bool atEnd() const noexcept                  { return position >= end; }
        char peek (size_t offset = 0) const noexcept { return offset < (size_t) (end - position) ? position[offset] : 0; }

        bool startsWith (const char* prefix) const noexcept
        {
            const auto length = std::strlen (prefix);
            return (size_t) (end - position) >= length && std::memcmp (position, prefix, length) == 0;
        }

        static bool isSpace (char c) noexcept        { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

        /** The characters the framework's reader takes as part of a name (ASCII only here). */
        static bool isNameChar (char c) noexcept
        {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                    || c == '_' || c == '-' || c == ':' || c == '.';
        }

        /** Raw control characters are not XML; the framework writes them as references. */
        static bool isAllowedRaw (char c) noexcept
        {
            return (unsigned char) c >= 0x20 || isSpace (c);
        }

        void skipSpace() noexcept
        {
            while (! atEnd() && isSpace (*position))
                ++position;
        }

        /** Moves past the terminator; false when the text ends first. */
        bool skipPast (const char* terminator) noexcept
        {
            for (; ! atEnd(); ++position)
            {
                if (startsWith (terminator))
                {
                    position += std::strlen (terminator);
                    return true;
                }

                if (! isAllowedRaw (*position))
                    return false;
            }

            return false;
        }

        bool readName (Name& name) noexcept
        {
            const auto* start = position;

            while (! atEnd() && isNameChar (*position))
                ++position;

            name = Name (start, (size_t) (position - start));
            return ! name.empty();
        }

        //==============================================================================
        /** Declaration, comments, processing instructions and at most one document type. */
        bool skipProlog() noexcept
        {
            bool seenDocumentType = false;

            for (;;)
            {
                skipSpace();

                if (startsWith ("<!--"))
                {
                    position += 4;

                    if (! skipPast ("-->"))
                        return false;
                }
                else if (startsWith ("<?"))
                {
                    position += 2;

                    if (! skipPast ("?>"))
                        return false;
                }
                else if (startsWith ("<!DOCTYPE"))
                {
                    if (seenDocumentType || ! skipDocumentType())
                        return false;

                    seenDocumentType = true;
                }
                else
                {
                    return peek() == '<' && isNameChar (peek (1));
                }
            }
        }

        /** Ends where the reader ends it: where its '<' and '>' balance, quotes or not. The
            reader consults it only for entities other than the five predefined ones, which
            this check refuses, so its content does not matter.
        */
        bool skipDocumentType() noexcept
        {
            position += 9;

            for (int open = 1; ! atEnd(); ++position)
            {
                if (! isAllowedRaw (*position))
                    return false;

                if (*position == '<')
                    ++open;
                else if (*position == '>' && --open == 0)
                {
                    ++position;
                    return true;
                }
            }

            return false;
        }

        //==============================================================================
        /** One entity after its '&': appends what it stands for to decoded, if given. */
        bool readEntity (std::string* decoded)
        {
            ++position;

            static const char* const names[] = { "amp;", "lt;", "gt;", "quot;", "apos;" };
            static const char replacements[] = { '&', '<', '>', '"', '\'' };

            for (size_t i = 0; i < 5; ++i)
            {
                const auto length = std::strlen (names[i]);

                if ((size_t) (end - position) >= length && equalIgnoringCase (position, names[i], length))
                {
                    position += length;

                    if (decoded != nullptr)
                        decoded->push_back (replacements[i]);

                    return true;
                }
            }

            if (peek() != '#')
                return false;

            ++position;
            const auto hex = peek() == 'x' || peek() == 'X';

            if (hex)
                ++position;

            std::uint32_t code = 0;
            int digits = 0;

            for (; ! atEnd() && *position != ';'; ++position)
            {
                const auto digit = digitValue (*position, hex);

                if (digit < 0 || ++digits > 7)
                    return false;

                code = code * (hex ? 16u : 10u) + (std::uint32_t) digit;
            }

            if (atEnd() || digits == 0 || code == 0 || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
                return false;

            ++position;

            if (decoded != nullptr)
                decoded->push_back (code < 0x80 ? (char) code : 'x');

            return true;
        }

        static bool equalIgnoringCase (const char* text, const char* lowerCase, size_t length) noexcept
        {
            for (size_t i = 0; i < length; ++i)
            {
                auto c = text[i];

                if (c >= 'A' && c <= 'Z')
                    c = (char) (c - 'A' + 'a');

                if (c != lowerCase[i])
                    return false;
            }

            return true;
        }

        static int digitValue (char c, bool hex) noexcept
        {
            if (c >= '0' && c <= '9')
                return c - '0';

            if (hex && c >= 'a' && c <= 'f')
                return c - 'a' + 10;

            if (hex && c >= 'A' && c <= 'F')
                return c - 'A' + 10;

            return -1;
        }

        //==============================================================================
        bool readAttributeValue (std::string* decoded)
        {
            const auto quote = peek();

            if (quote != '"' && quote != '\'')
                return false;

            ++position;

            while (! atEnd())
            {
                const auto c = *position;

                if (c == quote)
                {
                    ++position;
                    return true;
                }

                if (c == '<' || ! isAllowedRaw (c))
                    return false;

                if (c == '&')
                {
                    if (! readEntity (decoded))
                        return false;
                }
                else
                {
                    if (decoded != nullptr)
                        decoded->push_back (c);

                    ++position;
                }
            }

            return false;
        }

        /** The number at the start of a "value", read the way the framework reads numbers. */
        static bool hasSaneNumber (const std::string& value) noexcept
        {
            size_t i = 0;
            const auto at = [&value] (size_t index) { return index < value.size() ? value[index] : '\0'; };

            while (at (i) == ' ' || (at (i) >= '\t' && at (i) <= '\r'))
                ++i;

            if (at (i) == '-' || at (i) == '+')
                ++i;

            int mantissaLength = 0;

            for (; (at (i) >= '0' && at (i) <= '9') || at (i) == '.'; ++i)
                if (++mantissaLength > StateTextCheck::maxNumberLength)
                    return false;

            if (mantissaLength == 0 || (at (i) != 'e' && at (i) != 'E'))
                return true;

            ++i;

            if (at (i) == '-' || at (i) == '+')
                ++i;

            int exponentDigits = 0;

            for (; at (i) >= '0' && at (i) <= '9'; ++i)
                if (++exponentDigits > StateTextCheck::maxExponentDigits)
                    return false;

            return true;
        }

        //==============================================================================
        /** An element from its '<'; depth counts the document element as 1. */
        bool readElement (int depth)
        {
            if (depth > StateTextCheck::maxDepth)
                return false;

            ++position;
            Name tag;

            if (! readName (tag))
                return false;

            std::unordered_set<Name> attributes;

            for (;;)
            {
                const auto hadSpace = ! atEnd() && isSpace (*position);
                skipSpace();

                if (startsWith ("/>"))
                {
                    position += 2;
                    return true;
                }

                if (peek() == '>')
                {
                    ++position;
                    return readContent (tag, depth);
                }

                Name attribute;

                if (! hadSpace || ! readName (attribute))
                    return false;

                // The reader keeps both copies of a repeated attribute; the state would bind one
                // and save the other.
                if (attributes.size() >= StateTextCheck::maxAttributes || ! attributes.insert (attribute).second)
                    return false;
                skipSpace();

                if (peek() != '=')
                    return false;

                ++position;
                skipSpace();

                const auto isValue = attribute == "value";
                std::string decoded;

                if (! readAttributeValue (isValue ? &decoded : nullptr))
                    return false;

                if (isValue && ! hasSaneNumber (decoded))
                    return false;
            }
        }

        bool readContent (const Name& tag, int depth)
        {
            while (! atEnd())
            {
                const auto c = *position;

                if (c == '&')
                {
                    if (! readEntity (nullptr))
                        return false;

                    continue;
                }

                if (c != '<')
                {
                    if (! isAllowedRaw (c))
                        return false;

                    ++position;
                    continue;
                }

                if (startsWith ("</"))
                {
                    position += 2;
                    Name endTag;

                    if (! readName (endTag) || endTag != tag)
                        return false;

                    skipSpace();

                    if (peek() != '>')
                        return false;

                    ++position;
                    return true;
                }

                if (startsWith ("<!--"))
                {
                    position += 4;

                    if (! skipPast ("-->"))
                        return false;
                }
                else if (startsWith ("<![CDATA["))
                {
                    position += 9;

                    if (! skipPast ("]]>"))
                        return false;
                }
                else if (isNameChar (peek (1)))
                {
                    if (! readElement (depth + 1))
                        return false;
                }
                else
                {
                    // A processing instruction, a document type or anything else in here.
                    return false;
                }
            }

            return false;
        }
    };
}

bool StateTextCheck::isSafeToParse (const char* text, size_t numBytes)
{
    return text != nullptr && Scanner (text, numBytes).check();
}
