// The Hestrel window as a DAW shows it: the built bundle loaded through JUCE's VST3 hosting,
// its editor opened through its VST3 view in a real X window while another thread processes
// audio, and the screen read back as pixels.

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include "../common/ColourMatch.h"

#include <HestrelBundle.h>
#include <HostedInstances.h>
#include <HostedParameters.h>
#include <identity/HestrelIdentity.h>
#include <identity/HestrelPalette.h>

#include <atomic>
#include <cmath>
#include <iostream>
#include <memory>
#include <thread>

namespace
{
    juce::File pluginBundle;
    juce::File screenshotCopy;   // --screenshot=PATH: where to keep the window's picture


    /** Runs a tool to its end, at most for the given time; returns its output, or nothing on
        failure. The tools used here write little, so their output waits in the pipe meanwhile.
    */
    juce::String runTool (const juce::StringArray& command, int timeoutMs = 10000)
    {
        juce::ChildProcess process;

        if (! process.start (command))
            return {};

        if (! process.waitForProcessToFinish (timeoutMs))
        {
            process.kill();
            return {};
        }

        const auto output = process.readAllProcessOutput();
        return process.getExitCode() == 0 ? output : juce::String();
    }

    /** The whole X screen as ImageMagick's import sees it. */
    juce::Image screenshot()
    {
        const auto file = juce::File::createTempFile (".png");
        runTool ({ "import", "-window", "root", file.getFullPathName() });
        auto image = juce::ImageFileFormat::loadFrom (file);
        file.deleteFile();
        return image;
    }

    void pumpMessages (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** Feeds a hosted instance a steady sine, block after block, at about the real-time pace. */
    class AudioThread
    {
    public:
        static constexpr double sampleRate = 48000.0;
        static constexpr int blockSize = 512;
        static constexpr float amplitude = 0.25f;   // -15 dB RMS: the INPUT column shows orange

        explicit AudioThread (juce::AudioPluginInstance& p)  : instance (p)
        {
            thread = std::thread ([this] { run(); });
        }

        ~AudioThread()
        {
            stop = true;
            thread.join();
        }

        /** Blocks processed so far. */
        int blocks() const noexcept                 { return processed.load(); }

        /** Samples (after the first second) whose output differed from the input. */
        int samplesChanged() const noexcept         { return changed.load(); }

    private:
        void run()
        {
            juce::AudioBuffer<float> buffer (2, blockSize);
            juce::MidiBuffer midi;
            double phase = 0.0;
            const auto increment = juce::MathConstants<double>::twoPi * 440.0 / sampleRate;
            auto next = std::chrono::steady_clock::now();

            while (! stop)
            {
                auto blockPhase = phase;

                for (int i = 0; i < blockSize; ++i, blockPhase += increment)
                    for (int ch = 0; ch < 2; ++ch)
                        buffer.setSample (ch, i, amplitude * (float) std::sin (blockPhase));

                instance.processBlock (buffer, midi);

                // A lone instance keeps unity gain once its smoothing has settled: the window
                // opening and closing must never show in the audio.
                if (processed.load() > (int) (sampleRate / blockSize))
                    for (int i = 0; i < blockSize; ++i)
                        for (int ch = 0; ch < 2; ++ch)
                            if (std::abs (buffer.getSample (ch, i) - amplitude * (float) std::sin (phase + i * increment)) > 1.0e-3f)
                                ++changed;

                phase = std::fmod (blockPhase, juce::MathConstants<double>::twoPi);
                ++processed;

                next += std::chrono::microseconds ((int) (1.0e6 * blockSize / sampleRate));
                std::this_thread::sleep_until (next);
            }
        }

        juce::AudioPluginInstance& instance;
        std::atomic<bool> stop { false };
        std::atomic<int> processed { 0 }, changed { 0 };
        std::thread thread;
    };

    /** A bare top-level window that holds the hosted editor, the way a DAW frames a plug-in. */
    class HostWindow  : public juce::Component
    {
    public:
        HostWindow (juce::AudioProcessorEditor& editorToShow, juce::Point<int> topLeft)
        {
            setOpaque (true);
            addAndMakeVisible (editorToShow);
            setBounds (editorToShow.getBounds().withPosition (topLeft));
            addToDesktop (0);
            setVisible (true);
        }

        ~HostWindow() override
        {
            removeAllChildren();
        }

        void paint (juce::Graphics& g) override    { g.fillAll (juce::Colours::black); }
    };
}

//==============================================================================
/** One hosted instance, prepared and fed audio for the length of a test. */
class HostedWindow  : public ::testing::Test
{
protected:
    static constexpr juce::Point<int> windowOrigin { 40, 30 };

    void SetUp() override
    {
        const auto found = HestrelHost::scanBundle (pluginBundle);
        ASSERT_EQ (found.size(), 1) << "no plug-in in " << pluginBundle.getFullPathName();

        juce::String error;
        instance = HestrelHost::createInstance (*found[0], AudioThread::sampleRate, AudioThread::blockSize, error);
        ASSERT_NE (instance, nullptr) << error;
        instance->prepareToPlay (AudioThread::sampleRate, AudioThread::blockSize);
        audio = std::make_unique<AudioThread> (*instance);
    }

    void TearDown() override
    {
        window.reset();
        editor.reset();
        audio.reset();

        if (instance != nullptr)
            instance->releaseResources();

        instance.reset();
    }

    void openWindow()
    {
        editor.reset (instance->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);
        window = std::make_unique<HostWindow> (*editor, windowOrigin);
    }

    void closeWindow()
    {
        window.reset();
        editor.reset();
    }

    std::unique_ptr<juce::AudioPluginInstance> instance;
    std::unique_ptr<AudioThread> audio;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
    std::unique_ptr<HostWindow> window;
};

//==============================================================================
TEST_F (HostedWindow, OpensAt380By620AndShowsTheWindowOnScreen)
{
    ASSERT_TRUE (HestrelHost::setParameterFromText (*instance, ParameterIDs::maxAtten, "-30"));
    const auto* maxAtten = HestrelHost::findParameter (*instance, ParameterIDs::maxAtten);

    openWindow();
    EXPECT_EQ (editor->getWidth(), 380);
    EXPECT_EQ (editor->getHeight(), 620);

    // The plug-in draws into its own X window: wait, for a bounded time, until the screen shows
    // it with the meter settled on the running audio.
    const auto o = windowOrigin;
    const auto inputFill = BColors::meterBg.overlaidWith (BColors::accentWarm.withAlpha ((juce::uint8) 0xB2));
    const auto inputColumnBottom = o + juce::Point<int> (30 + 62, 68 + 130);
    juce::Image screen;

    for (int attempt = 0; attempt < 20; ++attempt)
    {
        pumpMessages (500);
        screen = screenshot();
        ASSERT_TRUE (screen.isValid()) << "no screenshot (is ImageMagick's import installed?)";

        if (colourNear (screen.getPixelAt (o.x + 190, o.y + 1), BColors::bg.overlaidWith (BColors::accentCyan.withAlpha ((juce::uint8) 0x99)), 3)
            && colourNear (screen.getPixelAt (inputColumnBottom.x, inputColumnBottom.y), inputFill, 3))
            break;
    }

    EXPECT_GT (audio->blocks(), 50);

    // The plug-in's own X window has the editor's size.
    const auto tree = runTool ({ "xwininfo", "-root", "-tree" });
    EXPECT_TRUE (tree.contains ("380x620+")) << tree;

    // The accent strip spans exactly the window's width, the gradient its height.
    const auto strip = BColors::bg.overlaidWith (BColors::accentCyan.withAlpha ((juce::uint8) 0x99));
    EXPECT_TRUE (colourNear (screen.getPixelAt (o.x, o.y + 1), strip, 3));
    EXPECT_TRUE (colourNear (screen.getPixelAt (o.x + 379, o.y + 1), strip, 3));
    EXPECT_FALSE (colourNear (screen.getPixelAt (o.x - 1, o.y + 1), strip, 30));
    EXPECT_FALSE (colourNear (screen.getPixelAt (o.x + 380, o.y + 1), strip, 30));
    EXPECT_TRUE (colourNear (screen.getPixelAt (o.x + 2, o.y + 4), BColors::bg, 2));
    EXPECT_TRUE (colourNear (screen.getPixelAt (o.x + 2, o.y + 619), BColors::bgBottom, 2));
    EXPECT_FALSE (colourNear (screen.getPixelAt (o.x + 2, o.y + 620), BColors::bgBottom, 5));

    // Separator, meter panel, and the meter following the audio: orange input, full gain, no reduction.
    EXPECT_TRUE (colourNear (screen.getPixelAt (o.x + 25, o.y + 58), BColors::panelBorder, 1));
    EXPECT_TRUE (colourNear (screen.getPixelAt (o.x + 35, o.y + 140), BColors::panelBg, 1));
    EXPECT_TRUE (colourNear (screen.getPixelAt (inputColumnBottom.x, inputColumnBottom.y), inputFill, 3));
    EXPECT_TRUE (colourNear (screen.getPixelAt (o.x + 30 + 160, o.y + 68 + 80), BColors::meterBg.overlaidWith (BColors::accent.withAlpha ((juce::uint8) 0xB2)), 3));
    EXPECT_TRUE (colourNear (screen.getPixelAt (o.x + 30 + 257, o.y + 68 + 80), BColors::meterBg, 1));

    // The texts, coarsely: the instance line in dim grey, the gain read-out in orange.
    const auto pixelsLike = [&] (juce::Rectangle<int> area, juce::Colour colour)
    {
        int count = 0;

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (colourNear (screen.getPixelAt (o.x + x, o.y + y), colour, 40))
                    ++count;

        return count;
    };

    EXPECT_GT (pixelsLike ({ 100, 48, 180, 16 }, BColors::textDim), 10);
    EXPECT_GT (pixelsLike ({ 0, 218, 190, 18 }, BColors::accentWarm), 20);

    // MAX ATTEN, bottom right, at -30 dB: half its arc in red, the rest of the track dim.
    const auto knobCentre = juce::Point<float> ((float) o.x + 252.0f + 64.0f, (float) o.y + 372.0f + 33.0f);
    const auto pi = juce::MathConstants<float>::pi;
    const auto toAngle = 1.2f * pi + maxAtten->getValue() * 1.6f * pi;

    const auto onArc = [&] (float angle)
    {
        return screen.getPixelAt ((int) std::floor (knobCentre.x + 25.0f * std::sin (angle)),
                                  (int) std::floor (knobCentre.y - 25.0f * std::cos (angle)));
    };

    EXPECT_TRUE (colourNear (onArc ((1.2f * pi + toAngle) * 0.5f), BColors::accentRed, 1));
    EXPECT_TRUE (colourNear (onArc ((toAngle + 2.8f * pi) * 0.5f), BColors::knobTrack, 1));

    if (screenshotCopy != juce::File())
    {
        const auto picture = screen.getClippedImage ({ o.x, o.y, 380, 620 });
        screenshotCopy.deleteFile();
        juce::FileOutputStream out (screenshotCopy);
        ASSERT_TRUE (out.openedOk()) << "cannot write " << screenshotCopy.getFullPathName();
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (picture, out));
    }
}

TEST_F (HostedWindow, OpeningAndClosingAHundredTimesLeavesTheParametersAndTheAudioAlone)
{
    // Settings off their defaults, so that a window that wrote its knobs back would show.
    const std::pair<const char*, const char*> settings[] = {
        { ParameterIDs::rmsWindow, "120" }, { ParameterIDs::bleedReject, "-20" }, { ParameterIDs::threshold, "-45.3" },
        { ParameterIDs::smoothing, "12" },  { ParameterIDs::weight, "80" },       { ParameterIDs::maxAtten, "-24" },
    };

    for (const auto& [id, text] : settings)
        ASSERT_TRUE (HestrelHost::setParameterFromText (*instance, id, text)) << id;

    juce::Array<float> before;

    for (auto* parameter : instance->getParameters())
        before.add (parameter->getValue());

    const auto desktopWindows = juce::Desktop::getInstance().getNumComponents();
    const auto blocksAtStart = audio->blocks();

    for (int cycle = 0; cycle < 100; ++cycle)
    {
        openWindow();
        ASSERT_EQ (editor->getWidth(), 380) << "cycle " << cycle;
        pumpMessages (20);
        closeWindow();
        pumpMessages (5);
    }

    pumpMessages (200);

    EXPECT_EQ (instance->getActiveEditor(), nullptr);
    EXPECT_EQ (juce::Desktop::getInstance().getNumComponents(), desktopWindows);
    EXPECT_GT (audio->blocks(), blocksAtStart + 100) << "the audio stopped while the window opened and closed";
    EXPECT_EQ (audio->samplesChanged(), 0);

    for (int i = 0; i < instance->getParameters().size(); ++i)
        EXPECT_EQ (instance->getParameters()[i]->getValue(), before[i]) << instance->getParameters()[i]->getName (100);
}

//==============================================================================
// The message thread is this one, as in a host. Leaks, in the host or in the plug-in, are
// reported by JUCE's leak detector when the module unloads at the end of the run.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);

        const auto value = juce::File::getCurrentWorkingDirectory().getChildFile (arg.fromFirstOccurrenceOf ("=", false, false));

        if (arg.startsWith ("--plugin="))
            pluginBundle = value;
        else if (arg.startsWith ("--screenshot="))
            screenshotCopy = value;
    }

    if (! pluginBundle.isDirectory())
    {
        std::cerr << "hestrel_window_tests: no plug-in bundle at '" << pluginBundle.getFullPathName()
                  << "' (pass --plugin=PATH/Hestrel.vst3)" << std::endl;
        return 2;
    }

    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
    {
        std::cerr << "hestrel_window_tests: no X display (run it through tests/window/with-xvfb.sh)" << std::endl;
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
