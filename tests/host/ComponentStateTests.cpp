// The component state as IComponent::setState receives it: the state blob followed by the
// wrapper's private-data trailer (zero padding, private tree, its 64-bit size, "JUCEPrivateData").
// Damaged trailers must be refused whole: no crash, no hang, no change.

#include "HostedPlugin.h"

#include <HostedInstances.h>
#include <HostedParameters.h>
#include <identity/HestrelIdentity.h>

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace
{
    constexpr size_t identifierSize = 15;

    struct Trailer
    {
        juce::MemoryBlock blob;          // what the processor wrote
        juce::MemoryBlock privateTree;   // the wrapper's tree, in its stream form
    };

    /** Takes a component state apart; fails the test if it has no trailer. */
    Trailer split (const juce::MemoryBlock& state)
    {
        const auto* bytes = static_cast<const char*> (state.getData());
        const auto size = state.getSize();
        EXPECT_GE (size, identifierSize + 16);
        EXPECT_EQ (std::memcmp (bytes + size - identifierSize, "JUCEPrivateData", identifierSize), 0);

        const auto privateSize = (size_t) juce::ByteOrder::littleEndianInt64 (bytes + size - identifierSize - 8);
        const auto privateStart = size - identifierSize - 8 - privateSize;
        return { juce::MemoryBlock (bytes, privateStart - 8), juce::MemoryBlock (bytes + privateStart, privateSize) };
    }

    /** Blob, padding, private tree, a size field (any value) and the identifier. */
    juce::MemoryBlock join (const juce::MemoryBlock& blob, const juce::MemoryBlock& privateTree, juce::int64 sizeField,
                            juce::int64 padding = 0)
    {
        juce::MemoryOutputStream out;
        out.write (blob.getData(), blob.getSize());
        out.writeInt64 (padding);
        out.write (privateTree.getData(), privateTree.getSize());
        out.writeInt64 (sizeField);
        out.write ("JUCEPrivateData", identifierSize);
        return out.getMemoryBlock();
    }

    /** The blob with a trailer around the given private tree, its size given truly. */
    juce::MemoryBlock withTree (const juce::MemoryBlock& blob, const juce::MemoryBlock& privateTree)
    {
        return join (blob, privateTree, (juce::int64) privateTree.getSize());
    }

    /** A private tree in the value tree's stream form, written by hand so that it can lie. */
    juce::MemoryBlock handMadeTree (std::initializer_list<int> bytes, const char* type = "JUCEPrivateData")
    {
        juce::MemoryOutputStream out;
        out.write (type, std::strlen (type) + 1);

        for (auto b : bytes)
            out.writeByte ((char) b);

        return out.getMemoryBlock();
    }

    juce::MemoryBlock deeplyNestedTree (int depth)
    {
        juce::MemoryOutputStream out;

        for (int i = 0; i < depth; ++i)
        {
            out.write ("a", 2);
            out.writeCompressedInt (0);   // properties
            out.writeCompressedInt (1);   // children
        }

        out.write ("a", 2);
        out.writeCompressedInt (0);
        out.writeCompressedInt (0);
        return out.getMemoryBlock();
    }

    float bypassOf (juce::AudioPluginInstance& instance)
    {
        return instance.getBypassParameter()->getValue();
    }
}

TEST (ComponentState, DamagedTrailersAreRefusedWhole)
{
    // The donor's state differs from the target's in a parameter and in the bypass switch, so
    // a trailer that is wrongly accepted, even in part, shows as a change.
    auto donor = HostedPlugin::create();
    auto target = HostedPlugin::create();
    ASSERT_NE (donor, nullptr);
    ASSERT_NE (target, nullptr);

    EXPECT_TRUE (HestrelHost::setParameterFromText (*donor, ParameterIDs::weight, "37"));
    donor->getBypassParameter()->setValueNotifyingHost (1.0f);
    const auto donorState = HestrelHost::getComponentState (*donor);
    const auto parts = split (donorState);
    const auto treeSize = (juce::int64) parts.privateTree.getSize();
    ASSERT_GT (treeSize, 0);

    // The untouched donor state restores both, so the target can tell acceptance from refusal.
    {
        auto check = HostedPlugin::create();
        HestrelHost::restoreComponentState (*check, join (parts.blob, parts.privateTree, treeSize));
        EXPECT_EQ (HestrelHost::findParameter (*check, ParameterIDs::weight)->getCurrentValueAsText(), "37 %");
        EXPECT_EQ (bypassOf (*check), 1.0f);
    }

    const auto before = HestrelHost::getComponentState (*target);
    const auto total = (juce::int64) donorState.getSize();
    constexpr auto int64Max = std::numeric_limits<juce::int64>::max();
    constexpr auto int64Min = std::numeric_limits<juce::int64>::min();

    struct Case { const char* why; juce::MemoryBlock state; };
    const Case cases[] = {
        { "size one larger",          join (parts.blob, parts.privateTree, treeSize + 1) },
        { "size of all the data",     join (parts.blob, parts.privateTree, total) },
        { "size far beyond the data", join (parts.blob, parts.privateTree, 1 << 30) },
        { "size too small",           join (parts.blob, parts.privateTree, treeSize - 1) },
        { "size zero",                join (parts.blob, parts.privateTree, 0) },
        { "size minus one",           join (parts.blob, parts.privateTree, -1) },
        { "size negative",            join (parts.blob, parts.privateTree, -total) },
        { "size largest",             join (parts.blob, parts.privateTree, int64Max) },
        { "size smallest",            join (parts.blob, parts.privateTree, int64Min) },
        { "padding not zero",         join (parts.blob, parts.privateTree, treeSize, 1) },
        { "2^31 properties",          withTree (parts.blob, handMadeTree ({ 4, 0xff, 0xff, 0xff, 0x7f })) },
        { "2^31 children",            withTree (parts.blob, handMadeTree ({ 0, 4, 0xff, 0xff, 0xff, 0x7f })) },
        { "negative children",        withTree (parts.blob, handMadeTree ({ 0, 0x81, 5 })) },
        { "2^31 array elements",      withTree (parts.blob, handMadeTree ({ 1, 'B', 0, 6, 7, 4, 0xff, 0xff, 0xff, 0x7f, 0 })) },
        { "2 GB binary property",     withTree (parts.blob, handMadeTree ({ 1, 'B', 0, 4, 0xff, 0xff, 0xff, 0x7f, 8, 0 })) },
        { "count cut short",          withTree (parts.blob, handMadeTree ({ 4, 0xff })) },
        { "no type",                  withTree (parts.blob, handMadeTree ({ 0, 0 }, "")) },
        { "nested 100000 deep",       withTree (parts.blob, deeplyNestedTree (100000)) },
    };

    for (const auto& c : cases)
    {
        HestrelHost::restoreComponentState (*target, c.state);
        EXPECT_EQ (HestrelHost::getComponentState (*target), before) << c.why;
        EXPECT_EQ (bypassOf (*target), 0.0f) << c.why;
        EXPECT_EQ (HestrelHost::findParameter (*target, ParameterIDs::weight)->getCurrentValueAsText(), "100 %") << c.why;
    }
}

TEST (ComponentState, StatesWithoutATrailerOrWithAnEmptyOneStillLoad)
{
    auto donor = HostedPlugin::create();
    EXPECT_TRUE (HestrelHost::setParameterFromText (*donor, ParameterIDs::weight, "42"));
    const auto parts = split (HestrelHost::getComponentState (*donor));

    for (const auto& state : { parts.blob, join (parts.blob, {}, 0) })
    {
        auto target = HostedPlugin::create();
        HestrelHost::restoreComponentState (*target, state);
        EXPECT_EQ (HestrelHost::findParameter (*target, ParameterIDs::weight)->getCurrentValueAsText(), "42 %");
    }
}

// Random damage to the trailer alone, as a corrupt project holds it: nothing may crash or hang,
// and whatever loads leaves every value in its range.
TEST (ComponentState, RandomlyDamagedTrailersLeaveValuesInRange)
{
    auto donor = HostedPlugin::create();
    auto target = HostedPlugin::create();
    ASSERT_NE (donor, nullptr);
    ASSERT_NE (target, nullptr);

    donor->getBypassParameter()->setValueNotifyingHost (1.0f);
    const auto state = HestrelHost::getComponentState (*donor);
    const auto parts = split (state);
    const auto trailerStart = parts.blob.getSize();
    juce::Random random (88);

    for (int round = 0; round < 1500; ++round)
    {
        juce::MemoryBlock damaged (state);
        auto* bytes = static_cast<juce::uint8*> (damaged.getData());

        for (int flips = random.nextInt ({ 1, 4 }); --flips >= 0;)
            bytes[trailerStart + (size_t) random.nextInt ((int) (damaged.getSize() - trailerStart - identifierSize))]
                = (juce::uint8) random.nextInt (256);

        HestrelHost::restoreComponentState (*target, damaged);

        for (auto* parameter : target->getParameters())
        {
            const auto value = parameter->getValue();
            ASSERT_TRUE (value >= 0.0f && value <= 1.0f) << parameter->getName (100) << " in round " << round;
        }
    }
}
