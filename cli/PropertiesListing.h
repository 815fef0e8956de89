#pragma once

#include "xml/DeviceProperties.h"

#include <string>

namespace OM::Norvatessa::Cli
{

// One controller's settings as "get" shows them.
enum class PropertiesFormat
{
    Text, // one Russian label and value per line, for people
    Json, // an object with stable English keys
    Xml,  // the document exactly as the program would send it
};

// Passwords are left out (JSON), shown as hidden (text) or blanked (XML, whose root then says so, so that
// a restore of it keeps the controller's passwords) unless
// `showPasswords`. The XML declares UTF-8 when `utf8`, the encoding a file or a pipe gets it in; a console
// shows the document as the program sends it.
std::wstring PropertiesListing(const Xml::DeviceProperties& properties, PropertiesFormat format,
                               bool showPasswords, bool utf8 = false);

} // namespace OM::Norvatessa::Cli
