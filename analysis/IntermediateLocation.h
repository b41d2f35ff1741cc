#pragma once
// Where a document keeps its intermediate file: beside the data file (the
// usual place, run.KLYN -> run.INTN), or - when that folder cannot take a new
// file (a read-only share, a write-protected stick) - in the user's cache
// folder under a name no other document uses.

#include <string>

class OIntermediateLocation {
public:
    // $XDG_CACHE_HOME/Tarvolin when that variable holds an absolute path,
    // else $HOME/.cache/Tarvolin; "" when neither is known.
    static std::string UserCacheFolder();

    // Creates folder (private to the user) when missing and in it a new empty
    // file "<data file name without extension>-XXXXXX.INTN" with a unique
    // XXXXXX. Its path, or "" when it could not be made.
    static std::string CreateUnique(const std::string& folder, const std::string& dataPath);
};
