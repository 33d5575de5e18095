#pragma once

#include "hosting/WorkerProtocol.h"
#include "os/SealedFile.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace shamblex {

class LibraryLoader;

// A brain worker's brain files, as its host reads them: every file a scan of the
// brain folder finds is read once into a sealed copy and checked as data; a worker
// is handed only those copies, so what it loads is exactly what was checked, and a
// file swapped in the folder meanwhile changes nothing. A copy handed over once stays
// on the shelf as long as the worker lives (its handle must stay open there), and a
// file whose bytes did not change is offered again under the same number, so that a
// reload gives the worker the library it already has, as the platform's loader would.
class BrainShelf {
public:
    explicit BrainShelf(std::unique_ptr<LibraryLoader> scanner);
    ~BrainShelf();
    BrainShelf(const BrainShelf&) = delete;
    BrainShelf& operator=(const BrainShelf&) = delete;

    // Scans the folder and makes the offer a worker's registry loads as if it scanned
    // the folder itself; brains named in `withheld` are left out as if their files
    // were not there. `handles` receives the sealed copies the worker has not had yet,
    // in the order of the offer's newLibraries.
    worker::BrainOffer scan(const std::string& folder, const std::set<std::string>& withheld,
        std::vector<NativeHandle>& handles);

    // The file handed over under a number, or null when no such number was given.
    const std::string* fileOf(std::int32_t library) const;
    // The SHA-256 of the file handed over under a number, or last under a file name.
    const std::array<std::uint8_t, 32>* digestOf(std::int32_t library) const;
    const std::array<std::uint8_t, 32>* digestOf(const std::string& fileName) const;

private:
    struct Shelved {
        std::string fileName;
        std::array<std::uint8_t, 32> digest {};
        SealedFile sealed;
    };

    std::unique_ptr<LibraryLoader> m_scanner;
    std::map<std::int32_t, Shelved> m_shelved;
};

}
