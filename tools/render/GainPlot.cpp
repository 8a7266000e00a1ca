#include "GainPlot.h"

#include "StagedFiles.h"

namespace
{
    constexpr int imageWidth = 1400;
    constexpr int panelHeight = 240;
    constexpr int panelHeader = 22;
    constexpr int titleHeight = 44;
    constexpr int axisHeight = 40;
    constexpr int leftMargin = 70, rightMargin = 24;
    constexpr float topDb = 0.0f, bottomDb = -80.0f;

    const juce::Colour background { 0xffffffff };
    const juce::Colour gridColour { 0xffdddddd };
    const juce::Colour textColour { 0xff222222 };
    const juce::Colour levelColour { 0xff7aa6d6 };
    const juce::Colour gainColour { 0xffd9480f };

    /** A tick spacing of 1, 2 or 5 times a power of ten that gives about eight ticks. */
    double niceTickSpacing (double span)
    {
        const auto rough = span / 8.0;
        const auto magnitude = std::pow (10.0, std::floor (std::log10 (juce::jmax (rough, 1.0e-3))));

        for (auto step : { 1.0, 2.0, 5.0, 10.0 })
            if (step * magnitude >= rough)
                return step * magnitude;

        return 10.0 * magnitude;
    }

    float toY (float value, juce::Rectangle<float> area)
    {
        const auto db = juce::jlimit (bottomDb, topDb, amplitudeToDecibels (value));
        return juce::jmap (db, topDb, bottomDb, area.getY(), area.getBottom());
    }

    /** A line through every frame, as long as there are few enough to keep. */
    juce::Path tracePath (const std::vector<float>& values, juce::Rectangle<float> area, double seconds, double frameSeconds)
    {
        juce::Path path;

        for (size_t f = 0; f < values.size(); ++f)
        {
            const auto x = area.getX() + (float) (((double) f + 0.5) * frameSeconds / seconds) * area.getWidth();
            const auto y = toY (values[f], area);

            if (f == 0)
                path.startNewSubPath (x, y);
            else
                path.lineTo (x, y);
        }

        return path;
    }

    /** For a long session: per column, a stroke from the lowest to the highest value in it. */
    void drawEnvelope (juce::Graphics& g, const std::vector<GainPlotTrace::ValueSpan>& columns, juce::Rectangle<float> area, float thickness)
    {
        const auto columnWidth = area.getWidth() / (float) juce::jmax ((size_t) 1, columns.size());
        float previousY = 0.0f;

        for (size_t c = 0; c < columns.size(); ++c)
        {
            const auto x = area.getX() + ((float) c + 0.5f) * columnWidth;
            auto top = toY (columns[c].highest, area), bottom = toY (columns[c].lowest, area);

            // Join the columns, so a steady trace reads as a line.
            if (c > 0)
            {
                top = juce::jmin (top, previousY);
                bottom = juce::jmax (bottom, previousY);
            }

            g.fillRect (x - thickness * 0.5f, top - thickness * 0.5f, thickness, bottom - top + thickness);
            previousY = (top + bottom) * 0.5f;
        }
    }

    void drawPanel (juce::Graphics& g, juce::Rectangle<float> area, const juce::String& name,
                    const GainPlotTrace& trace, double seconds, double tickSpacing)
    {
        g.setColour (gridColour);

        for (float db = topDb; db >= bottomDb; db -= 20.0f)
        {
            const auto y = juce::jmap (db, topDb, bottomDb, area.getY(), area.getBottom());
            g.drawHorizontalLine ((int) y, area.getX(), area.getRight());
        }

        for (double t = 0.0; t <= seconds + 1.0e-9; t += tickSpacing)
            g.drawVerticalLine ((int) (area.getX() + (float) (t / seconds) * area.getWidth()), area.getY(), area.getBottom());

        g.setColour (textColour);
        g.setFont (juce::Font (13.0f));

        for (float db = topDb; db >= bottomDb; db -= 20.0f)
        {
            const auto y = juce::jmap (db, topDb, bottomDb, area.getY(), area.getBottom());
            g.drawText (juce::String ((int) db) + " dB", juce::Rectangle<float> (0.0f, y - 8.0f, area.getX() - 6.0f, 16.0f),
                        juce::Justification::centredRight);
        }

        if (trace.isEnvelope())
        {
            g.setColour (levelColour);
            drawEnvelope (g, trace.getLevelColumns(), area, 1.2f);
            g.setColour (gainColour);
            drawEnvelope (g, trace.getGainColumns(), area, 2.0f);
        }
        else
        {
            const auto& frames = trace.getFrames();
            g.setColour (levelColour);
            g.strokePath (tracePath (frames.level, area, seconds, frames.frameSeconds), juce::PathStrokeType (1.2f));

            g.setColour (gainColour);
            g.strokePath (tracePath (frames.gain, area, seconds, frames.frameSeconds), juce::PathStrokeType (2.0f));
        }

        g.setColour (textColour);
        g.drawRect (area, 1.0f);
        g.setFont (juce::Font (16.0f, juce::Font::bold));
        g.drawText (name, area.withY (area.getY() - (float) panelHeader).withHeight ((float) panelHeader - 2.0f),
                    juce::Justification::bottomLeft);
    }
}

juce::Image drawGainPlot (const juce::StringArray& trackNames, const std::vector<GainPlotTrace>& traces)
{
    const auto numTracks = juce::jmax (1, trackNames.size());
    const auto height = titleHeight + numTracks * panelHeight + axisHeight;
    juce::Image image (juce::Image::RGB, imageWidth, height, true);
    juce::Graphics g (image);
    g.fillAll (background);

    double seconds = 0.0;

    for (const auto& trace : traces)
        seconds = juce::jmax (seconds, trace.getSeconds());

    seconds = juce::jmax (seconds, 0.01);
    const auto tickSpacing = niceTickSpacing (seconds);

    g.setColour (textColour);
    g.setFont (juce::Font (18.0f, juce::Font::bold));
    g.drawText ("Hestrel: input level and applied gain per track", juce::Rectangle<int> (leftMargin, 8, 700, 26),
                juce::Justification::centredLeft);

    // Legend, top right.
    g.setFont (juce::Font (14.0f));
    const auto legendX = (float) imageWidth - rightMargin - 330.0f;
    g.setColour (levelColour);
    g.fillRect (legendX, 19.0f, 26.0f, 3.0f);
    g.setColour (textColour);
    g.drawText ("input level (dBFS, 10 ms RMS)", juce::Rectangle<float> (legendX + 32.0f, 10.0f, 190.0f, 20.0f), juce::Justification::centredLeft);
    g.setColour (gainColour);
    g.fillRect (legendX + 230.0f, 19.0f, 26.0f, 3.0f);
    g.setColour (textColour);
    g.drawText ("gain (dB)", juce::Rectangle<float> (legendX + 262.0f, 10.0f, 80.0f, 20.0f), juce::Justification::centredLeft);

    const auto plotWidth = (float) (imageWidth - leftMargin - rightMargin);

    for (int t = 0; t < trackNames.size() && (size_t) t < traces.size(); ++t)
    {
        const juce::Rectangle<float> area ((float) leftMargin, (float) (titleHeight + t * panelHeight + panelHeader),
                                           plotWidth, (float) (panelHeight - panelHeader - 12));
        drawPanel (g, area, trackNames[t], traces[(size_t) t], seconds, tickSpacing);
    }

    // The time axis under the last panel.
    const auto axisY = (float) (titleHeight + numTracks * panelHeight) - 6.0f;
    g.setColour (textColour);
    g.setFont (juce::Font (13.0f));

    for (double t = 0.0; t <= seconds + 1.0e-9; t += tickSpacing)
    {
        const auto x = (float) leftMargin + (float) (t / seconds) * plotWidth;
        g.drawText (juce::String (t, tickSpacing < 1.0 ? 1 : 0), juce::Rectangle<float> (x - 30.0f, axisY - 6.0f, 60.0f, 16.0f),
                    juce::Justification::centred);
    }

    g.drawText ("time (s)", juce::Rectangle<float> ((float) leftMargin, axisY + 12.0f, plotWidth, 18.0f), juce::Justification::centred);
    return image;
}

juce::Result writeGainPlot (const juce::File& file, const juce::StringArray& trackNames,
                            const std::vector<GainPlotTrace>& traces)
{
    const auto image = drawGainPlot (trackNames, traces);
    juce::FileOutputStream stream (file);

    if (! isOpenAndEmpty (stream))
        return juce::Result::fail ("cannot write " + file.getFullPathName());

    juce::PNGImageFormat png;
    const auto written = png.writeImageToStream (image, stream);
    stream.flush();

    if (! written || ! stream.getStatus().wasOk())
        return juce::Result::fail ("cannot write " + file.getFullPathName() + ": the disk may be full or the file too large");

    return juce::Result::ok();
}

GainPlotTrace::GainPlotTrace (juce::int64 totalFrames, double secondsPerFrame)
    : frameSeconds (secondsPerFrame), numFrames (juce::jmax ((juce::int64) 1, totalFrames))
{
    frames.frameSeconds = frameSeconds;

    if (numFrames > maxFramesDrawnOneByOne)
    {
        levelColumns.resize ((size_t) envelopeColumns);
        gainColumns.resize ((size_t) envelopeColumns);
    }
}

void GainPlotTrace::add (float level, float gain)
{
    if (! isEnvelope())
    {
        frames.level.push_back (level);
        frames.gain.push_back (gain);
        ++added;
        return;
    }

    const auto column = (size_t) juce::jmin ((juce::int64) envelopeColumns - 1, added++ * envelopeColumns / numFrames);
    levelColumns[column].include (level);
    gainColumns[column].include (gain);
}

double GainPlotTrace::getSeconds() const noexcept
{
    return (double) added * frameSeconds;
}
