#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <string>

/** A state blob as the framework frames its XML: magic, length, the text as raw bytes (which
    need not be valid UTF-8, or even XML), then a zero byte. The length field can be made to lie.
*/
inline juce::MemoryBlock stateBlobAround (const std::string& text, std::optional<int> lengthField = {})
{
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    out.writeInt (0x21324356);
    out.writeInt (lengthField.value_or ((int) text.size()));
    out.write (text.data(), text.size());
    out.writeByte (0);
    out.flush();
    return block;
}
