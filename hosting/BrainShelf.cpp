#include "hosting/BrainShelf.h"

#include "base/Sha256.h"
#include "brains/BrainFileCheck.h"
#include "brains/BrainRegistry.h"
#include "hosting/PlatformLibraryLoader.h"

namespace shamblex {

BrainShelf::BrainShelf(std::unique_ptr<LibraryLoader> scanner)
    : m_scanner(std::move(scanner))
{
}

BrainShelf::~BrainShelf() = default;

worker::BrainOffer BrainShelf::scan(
    const std::string& folder, const std::set<std::string>& withheld, std::vector<NativeHandle>& handles)
{
    worker::BrainOffer offer;
    for (const std::string& fileName : m_scanner->findLibraries(folder, offer.folderError)) {
        std::string name = brainNameOf(fileName);
        if (withheld.count(name))
            continue;
        worker::OfferedFile file { fileName, {}, -1 };
        // The worker's registry refuses a reserved name itself, before it looks at
        // the file; so does the offer.
        if (!reservedNameReason(name)) {
            std::string error;
            auto sealed = SealedFile::read(m_scanner->pathInFolder(folder, fileName), error);
            if (!sealed) {
                file.refusal = error;
            } else {
                MemoryBytes bytes(sealed->bytes().data(), sealed->bytes().size());
                if (auto reason = whyNotABrain(bytes, platformHostBinary()))
                    file.refusal = *reason;
            }
            if (file.refusal.empty()) {
                auto digest = sha256(sealed->bytes());
                for (const auto& [library, shelved] : m_shelved) {
                    if (shelved.fileName == fileName && shelved.digest == digest)
                        file.library = library;
                }
                if (file.library < 0) {
                    file.library = static_cast<std::int32_t>(m_shelved.size());
                    handles.push_back(sealed->handle());
                    offer.newLibraries.push_back(file.library);
                    m_shelved.emplace(file.library, Shelved { fileName, digest, std::move(*sealed) });
                }
            }
        }
        offer.files.push_back(std::move(file));
    }
    return offer;
}

const std::string* BrainShelf::fileOf(std::int32_t library) const
{
    auto it = m_shelved.find(library);
    return it == m_shelved.end() ? nullptr : &it->second.fileName;
}

const std::array<std::uint8_t, 32>* BrainShelf::digestOf(const std::string& fileName) const
{
    const std::array<std::uint8_t, 32>* found = nullptr;
    for (const auto& [library, shelved] : m_shelved) {
        if (shelved.fileName == fileName)
            found = &shelved.digest;
    }
    return found;
}

const std::array<std::uint8_t, 32>* BrainShelf::digestOf(std::int32_t library) const
{
    auto it = m_shelved.find(library);
    return it == m_shelved.end() ? nullptr : &it->second.digest;
}

}
