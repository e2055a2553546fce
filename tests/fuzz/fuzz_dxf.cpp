// Fuzz target: a DXF drawing read through dxflib behind the guard pass, its pieces joined, and
// both outlines chosen and fitted. Every refusal must be an EOutlineError; anything stored must
// keep to the outline's bounds.
#include "model/UnOutlineFit.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const char* layer : {"", "CUT"})
        for (TOutlineKind kind : {TOutlineKind::Profile, TOutlineKind::Path}) {
            try {
                TDxfOutlines drawing = readDxfOutlines(bytes, "fuzz.dxf", layer);
                const TOutlineChain chain = chooseOutline(drawing, kind, "fuzz.dxf", layer);
                const TStoredOutline o = storeOutline(chain, kind, 50, "fuzz.dxf");
                bool inside = o.Count >= 2 && o.Count <= MaxOutlineVertices &&
                              o.Scale >= MinOutlineScale && o.Scale <= MaxOutlineScale;
                for (int32_t i = 0; i < o.Count; ++i)
                    inside = inside && std::abs(o.Vertices[size_t(i)].X) <= MaxStoredCoordinate &&
                             std::abs(o.Vertices[size_t(i)].Y) <= MaxStoredCoordinate;
                if (!inside) {
                    std::fprintf(stderr, "an outline beyond its bounds was stored\n");
                    std::abort();
                }
            } catch (const EOutlineError&) {
                // refused with a message
            } catch (const std::exception& e) {
                std::fprintf(stderr, "unexpected failure: %s\n", e.what());
                std::abort();
            }
        }
    return 0;
}
