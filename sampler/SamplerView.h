#pragma once

#include <QString>
#include <QtGlobal>

// What the sampler writes to and reads from the monitor window. The window implements it; tests use a fake,
// so the sampler itself needs no widgets.
class SamplerView
{
public:
    enum class Graph { Down, Up };

    virtual ~SamplerView() = default;

    virtual void setDownloadText(const QString& text) = 0; // lblDownload
    virtual void setUploadText(const QString& text) = 0; // LblUpload
    virtual void setCaption(const QString& text) = 0; // the monitor window's title
    virtual void setRateLine(const QString& text) = 0; // LblUp

    // The two throughput graphs: one sample per tick, and their shared full-scale value.
    virtual void graphUpdate(Graph graph, qint32 sample) = 0;
    // The same sample for several ticks at once; a graph that keeps fewer bars need not draw them all.
    virtual void graphRepeat(Graph graph, qint32 sample, quint64 times)
    {
        for (; times > 0; --times)
            graphUpdate(graph, sample);
    }
    virtual qint32 graphMax(Graph graph) const = 0;
    virtual void setGraphMax(Graph graph, qint32 max) = 0;
    virtual void setGraphToolTip(Graph graph, const QString& text) = 0;

    // False while nobody can see the readouts (the window is hidden): the sampler then keeps its figures and the
    // graphs going but skips building texts, and refreshTexts() brings them up to date when the window is shown.
    virtual bool readoutsShown() const { return true; }

    // Recomputes the volume-left line (text and colour) from the current totals and the log.
    virtual void refreshVolumeLeft() = 0;

    // The sampling timer `TmrCheckit`, switched off around each log-row write.
    virtual void setTimerEnabled(bool enabled) = 0;
};
