#pragma once

#include "engine/boardengine.h"
#include "engine/clock.h"
#include "engine/msserial.h"
#include "engine/uploader.h"

#include <QLatin1String>

// The engine's parts, found by the object names the engine gives them: for the tests of
// those parts, which watch them more closely than a view may.
namespace EngineParts {

template <typename Part> Part& find(BoardEngine& engine, const char* name) {
    return *engine.findChild<Part*>(QLatin1String(name));
}
inline MSserial& port(BoardEngine& engine) {
    return find<MSserial>(engine, "MSserial");
}
inline Uploader& uploader(BoardEngine& engine) {
    return find<Uploader>(engine, "Uploader");
}
// The receive poll's interval: an upload shortens it while it awaits the board's answers.
inline int receivePollMs(BoardEngine& engine) {
    return find<ClockTimer>(engine, "Timer2").interval();
}

} // namespace EngineParts
