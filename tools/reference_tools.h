// The CadencerTools section of docs/reference.md, written from cadencer_tools.idl by
// make_reference (reference_tools.cpp).
#pragma once

#include <ostream>
#include <string>

namespace cadencer::reference {

// Writes the section for the companion objects' IDL at idlPath; throws std::runtime_error
// when the IDL cannot be read or a member has no text.
void WriteToolsReference(const std::string& idlPath, std::ostream& out);

}  // namespace cadencer::reference
