#pragma once
// Small rules of adding songs and addresses, shared by the add commands.
//
// Pure functions, except AddFileQuick which adds through the (thread-safe) model.

#include <functional>
#include <string>
#include <string_view>

namespace tavora {

class PlaylistModel;

// One row for a chosen or dropped file without opening it: the title is the file name
// with its extension, the time empty until the title-and-time pass. A ZIP, RAR or ALZ
// archive goes to `archiveFound` instead. Returns the new row, -1 for an archive.
int AddFileQuick(PlaylistModel& model, const std::string& path,
                 const std::function<void(const std::string& archivePath)>& archiveFound);

// The address as typed in the address dialog: "http://" is put in front unless it
// starts with "http://" or "mms://" (spelled "http", "Http", "HTTP", "mms", "Mms", "MMS").
std::string CompleteTypedAddress(std::string_view typed);

// The title of a stream row: the text after the address's last "/".
std::string AddressTitle(std::string_view address);

}  // namespace tavora
