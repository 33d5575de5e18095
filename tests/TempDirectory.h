#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace shamblex::test {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the test ends.
class TempDirectory {
public:
    TempDirectory()
    {
        std::random_device entropy;
        for (;;) {
            m_path = std::filesystem::temp_directory_path() / ("shamblex-test-" + std::to_string(entropy()));
            if (std::filesystem::create_directory(m_path))
                break;
        }
    }
    ~TempDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

}
