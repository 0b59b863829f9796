#include <map>

#include <tinyxml.h>

#include <wx/filename.h>

#include "kivo/convert/Indent.h"
#include "kivo/node/iNode.h"

// The Info and State reports of a node.
namespace KivoUnit {
namespace {

// Attribute values go inside double quotes of the State text.
wxString escapeAttribute(const wxString& value) {
  wxString escaped = value;
  escaped.Replace(wxS("&"), wxS("&amp;"));  // first, so later entities stay intact
  escaped.Replace(wxS("<"), wxS("&lt;"));
  escaped.Replace(wxS(">"), wxS("&gt;"));
  escaped.Replace(wxS("%"), wxS("&#37;"));
  escaped.Replace(wxS("'"), wxS("&apos;"));
  escaped.Replace(wxS("\""), wxS("&quot;"));
  return escaped;
}

// `node` printed for Info: a declaration becomes a comment, so the report stays one
// well-formed document.
wxString printForInfo(const TiXmlNode& node, const Indent& indent) {
  TiXmlPrinter printer;
  printer.SetIndent((wxS("    ") + indent[1]).utf8_str());
  printer.SetLineBreak("\n");
  node.Accept(&printer);
  wxString text = wxString::FromUTF8(printer.CStr(), printer.Size());
  text.Replace(wxS("<?"), wxS("<!--?"));
  text.Replace(wxS("?>"), wxS("?-->"));
  return text;
}

// One commented block: its head, the printed XML, its end.
wxString infoBlock(const Indent& indent, const wxString& what, const wxString& value,
                   const TiXmlNode& node) {
  return indent.it(wxString::Format(wxS("<!-- %s=\"%s\" -->"), what, value), 2) +
         printForInfo(node, indent) +
         indent.it(wxString::Format(wxS("<!-- end of %s=\"%s\" -->"), what, value), 2);
}

}  // namespace

wxString iNode::Info(const Indent& indent) const {
  const bool top = indent.getPrefix().empty();
  const wxString element = getElement();
  const wxString name = getDecodedName();
  wxString text;
  if (top) text += indent.it(wxS("<info>"), 0);
  text += indent.it(wxString::Format(wxS("<!-- element=\"%s\" name=\"%s\" -->"), element, name), 0);
  if (const TiXmlDocument* document = getSourceDocument()) {
    text += infoBlock(indent, wxS("document"), wxString::FromUTF8(document->Value()), *document);
  } else if (const TiXmlElement* tie = getTie()) {
    text += infoBlock(indent, wxS("tie"), wxString::FromUTF8(tie->Value()), *tie);
  } else {
    text += indent.it(wxS("<!-- no tie nor document -->"), 2);
  }
  if (hasChildren()) {
    text += indent.it(wxString::Format(wxS("<!-- children of element=\"%s\" name=\"%s\" -->"),
                                       element, name),
                      2);
    for (const iNode* child : getChildren()) {
      if (child != nullptr) text += child->Info(indent.Level(3));
    }
    text += indent.it(
        wxString::Format(wxS("<!-- end of children of element=\"%s\" name=\"%s\" -->"), element,
                         name),
        2);
  }
  text += indent.it(wxString::Format(wxS("<!-- end of element=\"%s\" name=\"%s\" -->"), element, name), 0);
  if (top) text += indent.it(wxS("</info>"), 0);
  return text;
}

wxString iNode::State(const Indent& indent, const wxString& extra) const {
  wxString text = InitXML(indent, wxString()) + extra;
  for (const iNode* child : getChildren()) {
    if (child != nullptr) text += child->State(indent.Level(1), wxString());
  }
  return text + EndXML(indent);
}

// The node's own `extra` is not used: the attribute text is the node's state.
wxString iNode::InitXML(const Indent& indent, const wxString&) const {
  wxString attributes =
      wxString::Format(wxS("kivo_state_full_node_path=\"%s\" "), GetFullPath());
  for (const auto& [name, value] : getAttributes(true)) {
    attributes += wxString::Format(wxS("%s=\"%s\" "), name, escapeAttribute(value));
  }
  const wxString& includePath = getIncludePath();
  if (!includePath.empty() && wxFileName::FileExists(includePath)) {
    attributes += wxString::Format(wxS("kivo_state_included_filename=\"%s\" "), includePath);
  }
  return KivoElement::InitXML(indent, attributes);
}

wxString iNode::EndXML(const Indent& indent) const { return KivoElement::EndXML(indent); }

}  // namespace KivoUnit
