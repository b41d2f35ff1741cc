#pragma once
// The pictures of the Analyzer's tool buttons, drawn as simple line art so
// that they stay sharp at any screen scale and need no picture files.

#include <QIcon>
#include <QString>

class OToolIcons {
public:
    enum class Kind {
        ZoomIn,
        ZoomOut,
        ZoomToFit,
        Previous,
        Next,
        Restore,
        Grid,
        SnapToTrace,
        Copy,
        Print,
        ScrollAxes,
        ZoomAxes,
        ZoomBox,
        Recalculate,
        PreviousView,
        Open,
        SaveCfg,
        OpenCfg,
        Gates,
        BoardChannel,
        TimedEvents,
        RunLog,
        About,
    };

    static QIcon Icon(Kind kind);
};
