#pragma once

#include "Controller.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Simulator
{

// The controller's configuration document, config.xml: the controller's side, written here independently
// of the program's own reader and writer so that the two check each other. The document is Windows-1251
// bytes; its one element of interest, net, carries every setting as an attribute:
//
//   <?xml version="1.0" encoding="Windows-1251" ?>
//   <om>
//   <TAB><net admin="admin:admin" flag="0" gate="127.0.0.1" ip="127.0.0.2" ... user="user:user" />
//   </om>

// Attribute names and values (bytes), in the order the document writes them.
using NetAttributes = std::vector<std::pair<std::string, std::string>>;

NetAttributes NetAttributesOf(const Controller& controller);

// The document of these attributes; `change`, unless empty, comes first, as the answer to a posted
// document carries it. A document shorter than `paddedLength` is padded to that length with a comment
// inside the root, ahead of the net element.
std::string BuildConfigDocument(const NetAttributes& attributes, std::string_view change = {},
                                std::size_t paddedLength = 0);

// The attributes of the first net element of a document, their entities resolved; nothing when there is
// no net element or the text is malformed before its end.
std::optional<std::map<std::string, std::string>> ReadNetAttributes(std::string_view document);

// The controller with every setting among the attributes applied; others (such as change) are ignored.
// Nothing when a value is malformed.
std::optional<Controller> WithNetAttributes(Controller controller,
                                            const std::map<std::string, std::string>& attributes);

} // namespace Simulator
