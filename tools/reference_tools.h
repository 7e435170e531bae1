// The CadencerTools section of docs/reference.md, written from cadencer_tools.idl by
// make_reference (reference_tools.cpp).
#pragma once

#include <ostream>
#include <string>

namespace cadencer::reference {

// The whole text of a file; throws std::runtime_error when it cannot be read.
std::string ReadText(const std::string& path);

// Writes the section for the companion objects' IDL at idlPath; throws std::runtime_error
// when the IDL cannot be read or a member has no text.
void WriteToolsReference(const std::string& idlPath, std::ostream& out);

}  // namespace cadencer::reference
