// The one colour icon host of the process.
#include "controls/color_icon_host.h"

namespace controls {

namespace {
IColorIconHost* g_colorIconHost = nullptr;
}  // namespace

IColorIconHost* GetColorIconHost() { return g_colorIconHost; }
void SetColorIconHost(IColorIconHost* host) { g_colorIconHost = host; }

}  // namespace controls
