#pragma once
#include <string>
#include <string_view>

namespace qv {

// Turns an RTF document (the help pages) into UTF-8 HTML for a Qt rich-text view.
//
// Read: groups, \par \pard \plain \line \tab, \b \i \ul with their zero forms (\b0 \i0 \ul0
// \ulnone), \fs (half-points), \cf with \colortbl, \f with \fonttbl and \deff, \ql \qc \qr \qj,
// \'hh in Windows-1252, \uN with \ucN skipping, the escapes \\ \{ \} \~ \- \_, a few typographic
// symbols (\rquote, \bullet, ...), and HYPERLINK fields ({\field{\*\fldinst HYPERLINK "help099.rtf"}
// {\fldrslt shown text}}), whose shown text becomes a link. Destinations marked \* and the usual document
// destinations
// (\info, \stylesheet, \pict, headers, ...) are skipped; \binN skips exactly N bytes; unknown
// control words are ignored.
//
// Any input is accepted: unbalanced braces are tolerated, nesting is bounded (groups deeper
// than a fixed limit are skipped), and the work is linear in the input's length.
//
// Output: one <p> per paragraph (pre-wrap, so tabs and runs of blanks survive), character
// formatting as <span style="..."> runs, links as <a href="..."> around them (a target with
// anything but letters, digits and . - _ / # is dropped), \line as <br/>, text HTML-escaped. A document
// without text gives an empty string.
std::string RtfToHtml(std::string_view rtf);

}  // namespace qv
