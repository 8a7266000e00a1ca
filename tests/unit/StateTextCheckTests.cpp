// The strict check of a state's XML text, alone and in front of the processor's loading.

#include "PluginProcessor.h"
#include "../common/StateBlob.h"
#include "StateTextCheck.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
    bool accepts (const std::string& text)
    {
        return StateTextCheck::isSafeToParse (text.data(), text.size());
    }

    std::string nested (int depth)
    {
        std::string text = "<Parameters>";

        for (int i = 0; i < depth; ++i)
            text += "<a>";

        for (int i = 0; i < depth; ++i)
            text += "</a>";

        return text + "</Parameters>";
    }

    juce::MemoryBlock save (juce::AudioProcessor& p)
    {
        juce::MemoryBlock block;
        p.getStateInformation (block);
        return block;
    }

    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?> ";
}

TEST (StateTextCheck, AcceptsWhatTheFrameworkWritesAndWellFormedForeignText)
{
    const std::string texts[] = {
        declaration + "<Parameters><PARAM id=\"rmsWindow\" value=\"300.0\"/></Parameters>",
        "<Parameters/>",
        "  <parameters>\n\t<PARAM id='weight' value = \"5\" />\r\n</parameters>",
        "<!-- saved by hand --><?other pi?><!DOCTYPE Parameters><Parameters></Parameters>",
        "<!DOCTYPE Parameters [<!ENTITY e \"x\">]><Parameters/>",
        "<Parameters><PARAM id=\"a&amp;b&LT;&#233;&#x1F600;&#9;\" note=\"&quot;&apos;&gt;\"/></Parameters>",
        "<Parameters>text &amp; more<![CDATA[<raw & text>]]><!-- note --></Parameters>",
        "<Parameters><EXTRA><DEEPER x=\"1\"/></EXTRA></Parameters> trailing words the reader ignores",
        "<Parameters><PARAM id=\"smoothing\" value=\"25.399999618530273\"/></Parameters>",
        "<Parameters><PARAM id=\"weight\" value=\"-1.5e+300\"/><PARAM id=\"x\" value=\"nan\"/></Parameters>",
        "<Parameters><PARAM id=\"\xc3\xa9t\xc3\xa9\" value=\"\"/></Parameters>",
        nested (StateTextCheck::maxDepth - 1),
    };

    for (const auto& text : texts)
        EXPECT_TRUE (accepts (text)) << text;
}

TEST (StateTextCheck, RefusesWhatTheReaderMishandles)
{
    struct Case { const char* why; std::string text; };
    const Case cases[] = {
        { "instruction in an element (reader loops)", "<Parameters><?x?>a</Parameters>" },
        { "instruction after text",                   "<Parameters>a<?x?></Parameters>" },
        { "doctype in an element",                    "<Parameters><!DOCTYPE x></Parameters>" },
        { "two doctypes",                             "<!DOCTYPE a><!DOCTYPE b><Parameters/>" },
        { "nested too deep (reader recurses)",        nested (StateTextCheck::maxDepth) },
        { "text ends in a reference",                 "<Parameters>&#x" },
        { "reference without its semicolon",          "<Parameters>&#x41</Parameters>" },
        { "entity without its semicolon",             "<Parameters>&amp</Parameters>" },
        { "reference to nothing",                     "<Parameters>&#;</Parameters>" },
        { "reference to zero",                        "<Parameters>&#0;</Parameters>" },
        { "reference beyond unicode",                 "<Parameters>&#x110000;</Parameters>" },
        { "reference to a surrogate",                 "<Parameters a=\"&#xD800;\"/>" },
        { "reference with too many digits",           "<Parameters>&#00000065;</Parameters>" },
        { "entity the reader looks up in the doctype", "<!DOCTYPE P [<!ENTITY e \"<PARAM/>\">]><Parameters>&e;</Parameters>" },
        { "unknown entity",                           "<Parameters a=\"&nbsp;\"/>" },
        { "duplicate attribute",                      "<Parameters><PARAM id=\"weight\" value=\"50\" value=\"200\"/></Parameters>" },
        { "duplicate id",                             "<Parameters><PARAM id=\"maxAtten\" value=\"-20\" id=\"other\"/></Parameters>" },
        { "exponent that overflows the reader",       "<Parameters><PARAM id=\"weight\" value=\"1e9999999999\"/></Parameters>" },
        { "exponent written with references",         "<Parameters><PARAM id=\"weight\" value=\"1e&#57;&#57;99999999\"/></Parameters>" },
        { "number too long",                          "<Parameters><PARAM id=\"weight\" value=\"" + std::string (41, '1') + "\"/></Parameters>" },
        { "end tag naming another element",           "<Parameters><PARAM></Other></Parameters>" },
        { "unclosed element",                         "<Parameters><PARAM>" },
        { "unclosed comment",                         "<Parameters><!-- </Parameters>" },
        { "unclosed CDATA",                           "<Parameters><![CDATA[ </Parameters>" },
        { "unclosed quote",                           "<Parameters a=\"x/>" },
        { "unquoted attribute",                       "<Parameters a=1/>" },
        { "attributes run together",                  "<Parameters a=\"1\"b=\"2\"/>" },
        { "'<' in an attribute",                      "<Parameters a=\"<\"/>" },
        { "raw control character",                    "<Parameters a=\"\x01\"/>" },
        { "no element at all",                        declaration },
        { "empty",                                    "" },
    };

    for (const auto& c : cases)
        EXPECT_FALSE (accepts (c.text)) << c.why;

    std::string manyAttributes = "<Parameters";

    for (size_t i = 0; i <= StateTextCheck::maxAttributes; ++i)
        manyAttributes += " a" + std::to_string (i) + "=\"\"";

    EXPECT_FALSE (accepts (manyAttributes + "/>"));
}

TEST (StateTextCheck, StopsAtTheFirstZeroByte)
{
    const std::string text ("<Parameters/>\0<?x?>", 19);
    EXPECT_TRUE (accepts (text));
    EXPECT_FALSE (accepts (std::string ("<Param\0eters/>", 14)));
}

// The blobs that froze, crashed or misread the reader: each is refused without a change now.
TEST (StateTextCheck, HostileBlobsChangeNothing)
{
    ZIDodavAzaviduroProcessor p;
    p.parameters.getParameter (ParameterIDs::weight)->setValueNotifyingHost (0.25f);
    const auto before = save (p);

    const std::string blobs[] = {
        "<Parameters><?x?>a</Parameters>",
        nested (100000),
        "<Parameters>&#x",
        "<Parameters><PARAM id=\"weight\" value=\"50\" value=\"200\"/></Parameters>",
        "<Parameters><PARAM id=\"maxAtten\" value=\"-20\" id=\"other\"/></Parameters>",
        "<Parameters><PARAM id=\"weight\" value=\"nan\" value=\"9\"/></Parameters>",
    };

    for (const auto& text : blobs)
    {
        const auto blob = stateBlobAround (text);
        p.setStateInformation (blob.getData(), (int) blob.getSize());
        EXPECT_EQ (save (p), before) << text.substr (0, 80);
    }

    // The 40-byte blob exactly as a damaged project held it.
    const auto hang = stateBlobAround ("<Parameters><?x?>a</Parameters>");
    EXPECT_EQ (hang.getSize(), 40u);
}

TEST (StateTextCheck, EveryBlobTheProcessorWritesStillLoads)
{
    ZIDodavAzaviduroProcessor source, target;
    juce::Random random (8);

    for (int round = 0; round < 200; ++round)
    {
        for (auto* parameter : source.getParameters())
            parameter->setValueNotifyingHost (random.nextFloat());

        const auto blob = save (source);
        const auto* bytes = static_cast<const char*> (blob.getData());
        ASSERT_TRUE (StateTextCheck::isSafeToParse (bytes + 8, blob.getSize() - 9));

        target.setStateInformation (blob.getData(), (int) blob.getSize());
        ASSERT_EQ (save (target), blob) << "round " << round;
    }
}
