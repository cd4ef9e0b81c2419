#include "Registry.h"

#include <charconv>
#include <cstdlib>

#include "store/RegistryStore.h"

namespace tavora {
namespace {

using store::Hive;
using store::ValueType;

std::string ReadString(Hive hive, std::string_view key, std::string_view value) {
    store::CreateKey(hive, key);
    auto v = store::GetValue(hive, key, value);
    if (!v || v->type != ValueType::String) return kMissingString;
    // The text with its terminating zero must fit the caller's buffer.
    if (v->text.size() + 1 > kRegStringBuffer) return kMissingString;
    return v->text;
}

}  // namespace

int ReadRegDword(std::string_view key, std::string_view value) {
    store::CreateKey(Hive::LocalMachine, key);
    auto v = store::GetValue(Hive::LocalMachine, key, value);
    if (!v || v->type != ValueType::Dword) return kMissingDword;
    return static_cast<int>(v->dword);
}

std::string ReadRegString(std::string_view key, std::string_view value) {
    return ReadString(Hive::LocalMachine, key, value);
}

void WriteRegDword(std::string_view key, std::string_view value, int number) {
    store::SetDword(Hive::LocalMachine, key, value, static_cast<uint32_t>(number));
}

void WriteRegString(std::string_view key, std::string_view value, std::string_view text) {
    store::SetString(Hive::LocalMachine, key, value, text);
}

void DeleteRegValue(std::string_view key, std::string_view value) {
    store::DeleteValue(Hive::LocalMachine, key, value);
}

void DeleteRegKey(std::string_view key) { store::DeleteKey(Hive::LocalMachine, key); }

int ReadRegDwordOr(std::string_view key, std::string_view value, int fallback) {
    const int number = ReadRegDword(key, value);
    return number == kMissingDword ? fallback : number;
}

std::string ReadRegStringOr(std::string_view key, std::string_view value, std::string_view fallback) {
    std::string text = ReadRegString(key, value);
    return text == kMissingString ? std::string(fallback) : text;
}

std::string ReadRegDwordAsText(std::string_view key, std::string_view value, std::string_view fallback) {
    const int number = ReadRegDword(key, value);
    return number == kMissingDword ? std::string(fallback) : std::to_string(number);
}

int ReadRegTextAsNumber(std::string_view key, std::string_view value, int fallback) {
    const std::string text = ReadRegString(key, value);
    if (text == kMissingString) return fallback;
    // Decimal text-to-number conversion: leading blanks and sign, digits up to the
    // first other character, 0 when there are none.
    return std::atoi(text.c_str());
}

std::string ReadClassesString(std::string_view key, std::string_view value) {
    return ReadString(Hive::ClassesRoot, key, value);
}

void WriteClassesString(std::string_view key, std::string_view value, std::string_view text) {
    store::SetString(Hive::ClassesRoot, key, value, text);
}

void DeleteClassesKey(std::string_view key) { store::DeleteKey(Hive::ClassesRoot, key); }

std::optional<int> IncrementRegDword(std::string_view key, std::string_view value) {
    auto next = store::IncrementDword(Hive::LocalMachine, key, value,
                                      static_cast<uint32_t>(kMissingDword));
    if (!next) return std::nullopt;
    return static_cast<int>(*next);
}

struct RegistryBatch::Impl {
    store::Transaction tx;
};

RegistryBatch::RegistryBatch() : impl_(new Impl) {}
RegistryBatch::~RegistryBatch() {
    if (impl_) impl_->tx.Commit();
    delete impl_;
}
bool RegistryBatch::Commit() { return impl_->tx.Commit(); }

}  // namespace tavora
