// The HTML page beside an exported SWF movie: an OBJECT for the ActiveX
// player with an EMBED inside it for the plug-in.
#include "export/swf_html_page.h"

#include <cstdio>

#include "export/ansi_text.h"
#include "platform/replacing_file.h"

namespace {

constexpr char kPlayerClassId[] = "D27CDB6E-AE6D-11cf-96B8-444553540000";
constexpr char kPlayerCabinet[] = "http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=6,0,0,0";
constexpr char kPlayerPage[] = "http://www.macromedia.com/go/getflashplayer";
constexpr char kCrLf[] = "\r\n";

// A file name inside a quoted attribute: characters that would end the value
// or start markup are written as references.
std::string AttributeText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

CString SwfHtmlPagePath(const CString& moviePath) {
  int keep = moviePath.GetLength() - 3;
  return (keep > 0 ? moviePath.Left(keep) : CString()) + _T("htm");
}

std::string SwfHtmlPageText(const std::string& movieName, int width, int height) {
  const std::string name = AttributeText(movieName);
  const std::string w = std::to_string(width);
  const std::string h = std::to_string(height);
  std::string page;
  page += std::string("<html>") + kCrLf;
  page += std::string("<body>") + kCrLf;
  page += "<p align=\"center\">";
  page += std::string("<OBJECT classid=\"clsid:") + kPlayerClassId + "\"" + kCrLf;
  page += std::string("codebase=\"") + kPlayerCabinet + "\"" + kCrLf;
  page += "WIDTH=\"" + w + "\" HEIGHT=\"" + h + "\" id=\"" + name + "\">" + kCrLf;
  page += "<PARAM NAME=movie VALUE=\"" + name + "\">" + kCrLf;
  page += std::string("<PARAM NAME=quality VALUE=best>") + kCrLf;
  page += std::string("<PARAM NAME=bgcolor VALUE=#FFFFFF>") + kCrLf;
  page += "<EMBED src=\"" + name + "\" quality=best bgcolor=#FFFFFF WIDTH=\"" + w + "\" HEIGHT=\"" + h + "\"" + kCrLf;
  // The plug-in's name for the movie, as the OBJECT's id: a complete
  // attribute, where a bare page name would leave a stray quote in the tag.
  page += "NAME=\"" + name;
  page += std::string("\" ALIGN=\" \" TYPE=\"application/x-shockwave-flash\"") + kCrLf;
  page += std::string("PLUGINSPAGE=\"") + kPlayerPage + "\"></EMBED>" + kCrLf;
  page += std::string("</OBJECT>") + kCrLf;
  page += std::string("</p>") + kCrLf;
  page += std::string("</body>") + kCrLf;
  page += std::string("</html>") + kCrLf;
  return page;
}

BOOL WriteSwfHtmlPage(const CString& moviePath, int width, int height) {
  int slash = moviePath.ReverseFind(_T('\\'));
  std::string name = ToAnsiText(moviePath.Mid(slash + 1));
  std::string page = SwfHtmlPageText(name, width, height);
  // Whole or not at all: a page cut short by a full disk would embed nothing.
  return WriteFileReplacing(SwfHtmlPagePath(moviePath), page.data(), static_cast<UINT>(page.size()));
}
