// The project's line tool, held until the project object takes it over.
#include "model/project/line_tool.h"

namespace {
int g_lineTool = kLineToolNewLine;
}

int GetLineTool() { return g_lineTool; }
void SetLineTool(int tool) { g_lineTool = tool; }
