#pragma once
// With TROVI_TRACE_STARTUP=1 in the environment, each start-up phase prints
// the milliseconds since the process was loaded to standard error, so a slow
// cold start shows where its time went; TROVI_TRACE_STARTUP=exit also quits
// after the first frame, for profilers. Costs one getenv otherwise.

class QWidget;

namespace trovi::app {

void traceStartup(const char* phase);
// Traces the window's first paint, the frame a person sees.
void traceFirstPaint(QWidget& window);

} // namespace trovi::app
