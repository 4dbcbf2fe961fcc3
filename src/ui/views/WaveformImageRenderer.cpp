#include "ui/views/WaveformImageRenderer.h"

#include <QImage>
#include <algorithm>
#include <cmath>

#include "audiodata/WaveSample.h"

namespace NSZubrik {

namespace {

inline void Include(CWaveformImageRenderer::SSpan& span, int16_t low, int16_t high)
{
    if (span.fEmpty) {
        span = {low, high, false};
        return;
    }
    span.fMin = std::min(span.fMin, low);
    span.fMax = std::max(span.fMax, high);
}

// The mean of two channels' spans (the true sum's extremes are not in a
// summary, the mean of the extremes is the usual stand-in).
CWaveformImageRenderer::SSpan Mean(const CWaveformImageRenderer::SSpan& a, const CWaveformImageRenderer::SSpan& b)
{
    if (a.fEmpty || b.fEmpty)
        return a.fEmpty ? b : a;
    return {int16_t((a.fMin + b.fMin) / 2), int16_t((a.fMax + b.fMax) / 2), false};
}

} // namespace

bool CWaveformImageRenderer::IsStereo(const CABCWaveSample& wave) { return wave.IsStereo(); }

void CWaveformImageRenderer::BuildLevels(const CWaveSamplePreview& preview)
{
    for (int32_t c = 0; c < 2; ++c) {
        fLevels[c].clear();
        const auto* pairs = preview.GetPairs(c + 1);
        if (pairs == nullptr || (c == 1 && !preview.IsStereo()))
            continue;
        const SPair* below = reinterpret_cast<const SPair*>(pairs);
        size_t count = size_t(preview.GetBlockCount());
        while (count >= size_t(kLevelFactor)) {
            std::vector<SPair> level((count + kLevelFactor - 1) / kLevelFactor);
            for (size_t i = 0; i < level.size(); ++i) {
                SPair p = below[i * kLevelFactor];
                const size_t last = std::min(count, (i + 1) * kLevelFactor);
                for (size_t j = i * kLevelFactor + 1; j < last; ++j) {
                    p.fMin = std::min(p.fMin, below[j].fMin);
                    p.fMax = std::max(p.fMax, below[j].fMax);
                }
                level[i] = p;
            }
            fLevels[c].push_back(std::move(level));
            below = fLevels[c].back().data();
            count = fLevels[c].back().size();
        }
    }
    fLevelsOf = &preview;
}

void CWaveformImageRenderer::ComputeSpans(const CABCWaveSample& wave, int32_t channel, const SFrameScale& scale,
                                          int32_t columns, std::vector<SSpan>& spans)
{
    spans.assign(size_t(std::max(columns, 0)), SSpan{});
    if (channel == 0 && !wave.IsStereo())
        channel = 1;
    if (channel == 2 && !wave.IsStereo())
        return;
    if (scale.fFramesPerColumn >= kSummaryFrames)
        SummarySpans(wave, channel, scale, columns, spans);
    else
        SampleSpans(wave, channel, scale, columns, spans);
}

void CWaveformImageRenderer::SummarySpans(const CABCWaveSample& wave, int32_t channel, const SFrameScale& scale,
                                          int32_t columns, std::vector<SSpan>& spans)
{
    const CWaveSamplePreview* preview = wave.GetPreview();
    // Without a summary the outline stays empty rather than reading the
    // whole sound.
    if (preview == nullptr || !wave.IsPreviewValid() || preview->GetBlockCount() == 0)
        return;
    if (fLevelsOf != preview)
        BuildLevels(*preview);
    if (channel == 0) {
        std::vector<SSpan> second;
        SummarySpans(wave, 1, scale, columns, spans);
        SummarySpans(wave, 2, scale, columns, second);
        for (size_t i = 0; i < spans.size(); ++i)
            spans[i] = Mean(spans[i], second[i]);
        return;
    }
    spans.assign(size_t(columns), SSpan{});
    // The coarsest level that still gives a column at least kLevelFactor
    // entries, so that a column's edges are off by a small part of it.
    const auto& levels = fLevels[channel == 2 ? 1 : 0];
    int32_t level = 0;
    double blockFrames = CWaveSamplePreview::kBlockFrames;
    while (level < int32_t(levels.size()) && blockFrames * kLevelFactor * kLevelFactor <= scale.fFramesPerColumn) {
        ++level;
        blockFrames *= kLevelFactor;
    }
    const SPair* pairs = level == 0 ? reinterpret_cast<const SPair*>(preview->GetPairs(channel))
                                    : levels[size_t(level - 1)].data();
    const int64_t count = level == 0 ? preview->GetBlockCount() : int64_t(levels[size_t(level - 1)].size());
    for (int32_t c = 0; c < columns; ++c) {
        const double f0 = scale.fStart + c * scale.fFramesPerColumn;
        const double f1 = f0 + scale.fFramesPerColumn;
        const int64_t first = std::max<int64_t>(0, int64_t(std::floor(f0 / blockFrames)));
        const int64_t last = std::min<int64_t>(count, int64_t(std::ceil(f1 / blockFrames)));
        SSpan& span = spans[size_t(c)];
        for (int64_t b = first; b < last; ++b)
            Include(span, pairs[b].fMin, pairs[b].fMax);
    }
}

void CWaveformImageRenderer::SampleSpans(const CABCWaveSample& wave, int32_t channel, const SFrameScale& scale,
                                         int32_t columns, std::vector<SSpan>& spans)
{
    const int64_t frameCount = wave.GetFrameCount();
    // One frame before the first column joins its outline to the left.
    const int64_t first = std::clamp<int64_t>(int64_t(std::floor(scale.fStart)) - 1, 0, frameCount);
    const int64_t end = std::clamp<int64_t>(
        int64_t(std::ceil(scale.fStart + columns * scale.fFramesPerColumn)) + 1, first, frameCount);
    const int32_t count = int32_t(end - first);
    if (count <= 0)
        return;
    fFirst.resize(size_t(count));
    wave.GetInt16s(int32_t(first), count, fFirst.data(), channel == 2 ? 2 : 1);
    if (channel == 0) {
        fSecond.resize(size_t(count));
        wave.GetInt16s(int32_t(first), count, fSecond.data(), 2);
        for (size_t i = 0; i < size_t(count); ++i)
            fFirst[i] = int16_t((fFirst[i] + fSecond[i]) / 2);
    }
    for (int32_t c = 0; c < columns; ++c) {
        const double f0 = scale.fStart + c * scale.fFramesPerColumn;
        const int64_t i0 = int64_t(std::floor(f0));
        const int64_t i1 = std::max(i0 + 1, int64_t(std::floor(f0 + scale.fFramesPerColumn)));
        if (i0 < 0 || i0 >= frameCount)
            continue;
        SSpan& span = spans[size_t(c)];
        for (int64_t f = std::max(i0 - 1, first); f < std::min(i1, end); ++f) {
            const int16_t v = fFirst[size_t(f - first)];
            Include(span, v, v);
        }
    }
}

void CWaveformImageRenderer::Paint(QImage& image, const CABCWaveSample& wave, const SFrameScale& scale, bool summed,
                                   int32_t zoom, QColor colour, bool depth)
{
    image.fill(Qt::transparent);
    const int32_t width = image.width();
    const int32_t height = image.height();
    const int32_t lanes = LaneCount(wave, summed);
    for (int32_t lane = 0; lane < lanes; ++lane) {
        const int32_t channel = lanes == 2 ? lane + 1 : (wave.IsStereo() ? 0 : 1);
        std::vector<SSpan>& spans = fSpans[lane];
        ComputeSpans(wave, channel, scale, width, spans);
        const int32_t top = lane * height / lanes;
        const int32_t bottom = (lane + 1) * height / lanes - 1;
        const double middle = (top + bottom) / 2.0;
        const double half = (bottom - top) / 2.0 * zoom / 32768.0;
        fTops.resize(size_t(width));
        fBottoms.resize(size_t(width));
        for (int32_t x = 0; x < width; ++x) {
            const SSpan& span = spans[size_t(x)];
            if (span.fEmpty) {
                fTops[size_t(x)] = bottom + 1;
                fBottoms[size_t(x)] = top;
                continue;
            }
            fTops[size_t(x)] = std::clamp(int32_t(std::floor(middle - span.fMax * half)), top, bottom);
            fBottoms[size_t(x)] = std::clamp(int32_t(std::ceil(middle - span.fMin * half)), fTops[size_t(x)], bottom);
        }
        FillLane(image, top, bottom, colour, depth);
    }
}

void CWaveformImageRenderer::FillLane(QImage& image, int32_t top, int32_t bottom, QColor colour, bool depth) const
{
    const int32_t width = image.width();
    const int32_t* tops = fTops.data();
    const int32_t* bottoms = fBottoms.data();
    const QRgb flat = qPremultiply(colour.rgba());
    if (!depth) {
        // Row by row, so that the writes run along memory and vectorise.
        for (int32_t y = top; y <= bottom; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int32_t x = 0; x < width; ++x)
                row[x] = y >= tops[x] && y <= bottoms[x] ? flat : row[x];
        }
        return;
    }
    const auto shade = [&colour](const QColor& towards, double amount) {
        QColor c = QColor::fromRgbF(float(colour.redF() + (towards.redF() - colour.redF()) * amount),
                                    float(colour.greenF() + (towards.greenF() - colour.greenF()) * amount),
                                    float(colour.blueF() + (towards.blueF() - colour.blueF()) * amount),
                                    colour.alphaF());
        return qPremultiply(c.rgba());
    };
    const QRgb upperEdge = shade(Qt::white, 0.55);
    const QRgb lowerEdge = shade(Qt::black, 0.5);
    const double middle = (top + bottom) / 2.0;
    const double reach = std::max(1.0, (bottom - top) / 2.0);
    for (int32_t y = top; y <= bottom; ++y) {
        // One colour per row: lit at the centre line, falling off towards
        // the lane's edges.
        const double distance = std::abs(y - middle) / reach;
        const QRgb body = distance < 0.25 ? shade(Qt::white, 0.3 * (1 - distance / 0.25))
                                          : shade(Qt::black, 0.35 * (distance - 0.25) / 0.75);
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int32_t x = 0; x < width; ++x) {
            const bool inside = y >= tops[x] && y <= bottoms[x];
            row[x] = !inside ? row[x] : y == tops[x] ? upperEdge : y == bottoms[x] ? lowerEdge : body;
        }
    }
}

} // namespace NSZubrik
