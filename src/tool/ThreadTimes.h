#pragma once

#include "model/FrameSet.h"

#include <QString>

struct CRenderStatistics;

// What bench and soak say of the work each thread did, from the threads'
// own processor clocks: unlike the frame times, these hardly move with the
// load of the machine.

// "processor time per frame: render thread R ms, band workers B ms, text
// thread T ms", over the recorded frames (a figure that cannot be read is
// "unknown"; an OpenGL device's band workers "none").
QString ProcessorTimeText(const CRenderStatistics& statistics, const QString& indent);

// The render thread's own processor time: its longest in one frame, how many
// frames took more than half the frame period, and the heaviest frames with
// what of them went to the objects' own steps and which object's steps took
// longest (objects: the page in the order it was played).
QString RenderThreadWorkText(const CRenderStatistics& statistics, int framePeriodUs, const FrameList& objects,
                             const QString& indent);

// "object 7 (picture background of 200 frames, text from an RTF file, roll)": the
// object at place (0 the first) as an operator would tell it apart.
QString DescribeObject(const FrameList& objects, int place);
