#pragma once

#include <QImage>

// What every benchmark needs: its inputs made the same way each run, and a word for
// each figure against its target.

// "ok" when a figure meets its target, "MISSED" when not.
const char* verdict(bool met);
// Processor time of this process so far, in seconds.
double processorSeconds();
// A picture whose every pixel is random (the same each run): nothing compresses it and
// every byte of its stream differs from the one before.
QImage noisePicture(int width, int height);
// Makes DejaVu Sans known to the program (package fonts-dejavu-core); false (after
// saying so) when it is missing.
bool loadDejaVuSans();
// Benchmarks run without a display unless one is asked for; results show as they come.
void prepareBenchmark();
