#include "hosting/OfferedLibraryLoader.h"

namespace shamblex {

namespace {

#if !defined(_WIN32)
constexpr std::string_view descriptorFolder = "/proc/self/fd/";
#endif

}

OfferedLibraryLoader::OfferedLibraryLoader(std::unique_ptr<LibraryLoader> platform)
    : m_platform(std::move(platform))
{
}

bool OfferedLibraryLoader::take(worker::BrainOffer offer, std::vector<OwnedHandle> copies)
{
    if (copies.size() != offer.newLibraries.size())
        return false;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        if (offer.newLibraries[i] < 0 || m_copies.count(offer.newLibraries[i]))
            return false;
        m_copies.emplace(offer.newLibraries[i], std::move(copies[i]));
    }
    for (const worker::OfferedFile& file : offer.files) {
        if (file.refusal.empty() && !m_copies.count(file.library))
            return false;
    }
    m_offer = std::move(offer);
    return true;
}

std::vector<std::string> OfferedLibraryLoader::findLibraries(const std::string& folder, std::string& error)
{
    m_folder = folder;
    std::vector<std::string> names;
    if (!m_offer.folderError.empty()) {
        error = m_offer.folderError;
        return names;
    }
    for (const worker::OfferedFile& file : m_offer.files)
        names.push_back(file.fileName);
    return names;
}

const worker::OfferedFile* OfferedLibraryLoader::fileAt(const std::string& path) const
{
    for (const worker::OfferedFile& file : m_offer.files) {
        if (path == pathInFolder(m_folder, file.fileName))
            return &file;
    }
    return nullptr;
}

std::optional<std::string> OfferedLibraryLoader::inspect(const std::string& path)
{
    const worker::OfferedFile* file = fileAt(path);
    if (!file)
        return std::string("not offered by the host");
    if (!file->refusal.empty())
        return file->refusal;
    return std::nullopt;
}

LibraryLoader::Handle OfferedLibraryLoader::load(const std::string& path, std::string& error)
{
    const worker::OfferedFile* file = fileAt(path);
    if (!file) {
        error = "not offered by the host";
        return nullptr;
    }
    Handle handle = m_platform->load(path, error);
    if (handle && m_onLoaded)
        m_onLoaded(file->library, handle);
    return handle;
}

void* OfferedLibraryLoader::findExport(Handle handle, const char* name)
{
    return m_platform->findExport(handle, name);
}

void OfferedLibraryLoader::release(Handle handle)
{
    m_platform->release(handle);
}

std::string OfferedLibraryLoader::pathInFolder(const std::string& folder, const std::string& fileName) const
{
#if defined(_WIN32)
    // The host keeps the checked file open with no write sharing until the worker
    // ends: the path is the file that was checked.
    return m_platform->pathInFolder(folder, fileName);
#else
    for (const worker::OfferedFile& file : m_offer.files) {
        if (file.fileName == fileName && file.refusal.empty()) {
            auto copy = m_copies.find(file.library);
            if (copy != m_copies.end())
                return std::string(descriptorFolder) + std::to_string(copy->second.get());
        }
    }
    return m_platform->pathInFolder(folder, fileName);
#endif
}

void* OfferedLibraryLoader::guardedRecordRoom()
{
    return m_platform->guardedRecordRoom();
}

std::int32_t OfferedLibraryLoader::libraryNumber(const std::string& path) const
{
    const worker::OfferedFile* file = fileAt(path);
    return file && file->refusal.empty() ? file->library : -1;
}

}
