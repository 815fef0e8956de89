// Parses, loads and writes documents of 1 KB, 1 MB and 10 MB in four shapes and prints the time per
// megabyte of each, with the time of a reference parser on the same documents as a ratio. The time per
// megabyte must stay flat as the size grows: a rise is a super-linear step in our code.
//
//   cmake --preset bench && cmake --build --preset bench && build/bench/bench/xml/xml_benchmark
//
// With arguments it does one operation once, for counting instructions, which unlike seconds do not
// depend on what else the machine is doing:
//   valgrind --tool=callgrind build/bench/bench/xml/xml_benchmark elements 10240 load
#include "xml/ConfigDocument.h"
#include "xml/Utf16File.h"
#include "xml/XmlParser.h"

#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace OM::Xml;

namespace
{

constexpr wchar_t declaration[] = L"<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n";

// Builds a document of about `size` characters by repeating `unit`, inside <config>...</config> or
// inside the start tag of one element when `inTag` is set.
std::wstring repeat(size_t size, const std::wstring& open, const std::function<std::wstring(size_t)>& unit,
                    const std::wstring& close)
{
    std::wstring text = declaration + open;
    for (size_t index = 0; text.size() < size; ++index)
        text += unit(index);
    return text + close;
}

std::wstring manyElements(size_t size)
{
    return repeat(
        size, L"<config>\n",
        [](size_t index) {
            const std::wstring n = std::to_wstring(index);
            return L"\t<net ip=\"192.168." + std::to_wstring(index % 256) + L".10\" name=\"Склад " + n +
                   L"\" tcp_port=\"80\" mask=\"255.255.255.0\">\n\t\t<param name=\"p" + n +
                   L"\" value=\"x\" />\n\t</net>\n";
        },
        L"</config>");
}

std::wstring longText(size_t size)
{
    const std::wstring sentence = L"Контроллер на складе отвечает на запрос & ждёт. ";
    return repeat(
        size, L"<config>\n",
        [&](size_t) {
            std::wstring text = L"\t<note>";
            for (int count = 0; count < 40; ++count)
                text += sentence;
            return text + L"</note>\n";
        },
        L"</config>");
}

std::wstring manyAttributes(size_t size)
{
    return repeat(
        size, L"<config ",
        [](size_t index) {
            return L"a" + std::to_wstring(index) + L"=\"" + std::to_wstring(index * 7) + L"\" ";
        },
        L"/>");
}

std::wstring longValues(size_t size)
{
    return repeat(
        size, L"<config>\n",
        [](size_t index) {
            return L"\t<net name=\"" + std::wstring(4000, static_cast<wchar_t>(L'a' + index % 26)) +
                   L"\" />\n";
        },
        L"</config>");
}

// The fastest of several runs, each repeated until it has taken a measurable time: seconds per run.
double secondsPerRun(const std::function<void()>& run)
{
    using Clock = std::chrono::steady_clock;
    double best = 1e9;
    for (int trial = 0; trial < 5; ++trial)
    {
        int runs = 0;
        const auto start = Clock::now();
        std::chrono::duration<double> elapsed{};
        do
        {
            run();
            ++runs;
            elapsed = Clock::now() - start;
        } while (elapsed.count() < 0.05);
        best = std::min(best, elapsed.count() / runs);
    }
    return best;
}

void measure(const char* shape, const std::wstring& text)
{
    const double megabytes = static_cast<double>(text.size() * 2) / (1024.0 * 1024.0); // as UTF-16
    const double parseSeconds = secondsPerRun([&] {
        XmlDocument document;
        if (!parse(document, text))
            std::abort();
    });
    const double loadSeconds = secondsPerRun([&] {
        ConfigDocument document(L"config");
        if (!document.loadFromString(text))
            std::abort();
    });
    ConfigDocument loaded(L"config");
    loaded.loadFromString(text);
    const double writeSeconds = secondsPerRun([&] {
        ConfigDocument document(L"config");
        document.root = loaded.root;
        document.saveToString();
    });
    const std::string reference = utf8Text(text);
    const double referenceSeconds = secondsPerRun([&] {
        pugi::xml_document document;
        if (!document.load_buffer(reference.data(), reference.size()))
            std::abort();
    });
    std::printf("%-11s %9.3f MB %10.1f %10.1f %10.1f %10.1f %8.2f\n", shape, megabytes,
                parseSeconds * 1000 / megabytes, loadSeconds * 1000 / megabytes,
                writeSeconds * 1000 / megabytes, referenceSeconds * 1000 / megabytes,
                parseSeconds / referenceSeconds);
}

const struct Shape
{
    const char* name;
    std::wstring (*make)(size_t);
} shapes[] = {
    {"elements", manyElements},
    {"long text", longText},
    {"attributes", manyAttributes},
    {"long values", longValues},
};

// One operation on one document, once.
int runOnce(const std::string& shapeName, size_t kilobytes, const std::string& operation)
{
    const auto shape = std::find_if(std::begin(shapes), std::end(shapes),
                                    [&](const Shape& candidate) { return shapeName == candidate.name; });
    if (shape == std::end(shapes))
        return 2;
    const std::wstring text = shape->make(kilobytes * 1024 / 2);
    if (operation == "parse")
    {
        XmlDocument document;
        return parse(document, text) ? 0 : 1;
    }
    ConfigDocument document(L"config");
    if (!document.loadFromString(text))
        return 1;
    if (operation == "write")
        document.saveToString();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4)
        return runOnce(argv[1], std::stoul(argv[2]), argv[3]);

    // Sizes in UTF-16 bytes: 1 KB, 1 MB, 10 MB.
    const size_t sizes[] = {1024 / 2, 1024 * 1024 / 2, 10 * 1024 * 1024 / 2};
    std::printf("%-11s %12s %10s %10s %10s %10s %8s\n", "shape", "size", "parse", "load", "write",
                "reference", "ratio");
    std::printf("%-11s %12s %10s %10s %10s %10s %8s\n", "", "", "ms/MB", "ms/MB", "ms/MB", "ms/MB", "parse");
    for (const auto& shape : shapes)
    {
        for (const size_t size : sizes)
            measure(shape.name, shape.make(size));
    }
    return 0;
}
