// Output folders: made when missing, refused clearly when they cannot be.
#pragma once
#include <string>

namespace qxv::apply {

// Makes the folder and its parents when missing; throws an output error
// naming `what` (a flag or file) and the reason when that fails or the path
// is not a folder.
void EnsureFolder(const std::string& folder, const std::string& what);

// The folder part of a file path; "." when there is none.
std::string FolderOf(const std::string& path);

}  // namespace qxv::apply
