#pragma once
#include <cstdint>
#include <span>
namespace standin {
struct CatalogEntry {
  std::int32_t number;
  const char* italian;
  const char* english;
};
// Every message the module hands to the dictionary, Italian as handed over, with %1.. placeholders.
std::span<const CatalogEntry> message_catalog();
}  // namespace standin
