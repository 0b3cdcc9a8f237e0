// The line tool of the project (0 new line, 1 line edit, 2 point delete),
// read by the line sets on every click. The project owns it; until the
// project object exists these two calls hold it.
#pragma once

enum LineTool { kLineToolNewLine = 0, kLineToolEdit = 1, kLineToolPointDelete = 2 };

int GetLineTool();
void SetLineTool(int tool);
