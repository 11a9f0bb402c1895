// ordergen: the order-entry database at any size, for round trips through
// fillbase and drainbase. Writes into <folder> the schema "orders.schema"
// (the sets and items of examples/schemas/orders.schema, with capacities for
// the size asked for and without index items) and the export files
// ORDERS.001.exp (customers), .002 (products), .004 (orders) and .005 (order
// lines), `records` records in all (100,000 by default), as fillbase reads
// them. The strings are awkward on purpose: quotes, backslashes, control
// bytes, DEL and high bytes (those Roman-8 also holds, so a Roman-8 export reads
// back the same).
//
// Usage: ordergen folder [records]
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Characters cycled through the names: quote, backslash, tab, other control
// bytes, DEL and Latin-1 letters.
const char* const kAwkward[] = {"\\\"", "\\\\", "\\011", "\\001", "\\037", "\x7f",
                                "\xe9", "\xfc", "\xd6",  "\xdf",  "\xf1",  "\xc4"};
constexpr long kAwkwardCount = sizeof kAwkward / sizeof kAwkward[0];

bool write_file(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

std::string schema(long customers, long products, long orders, long lines) {
  char text[2048];
  std::snprintf(text, sizeof text,
                "BEGIN DATA BASE ORDERS;\n"
                "PASSWORDS:\n    1 CLERK;\n    2 MANAGER;\n    5;\n"
                "ITEMS:\n"
                "    CUST-NO, X8;\n    CUST-NAME, X30;\n    CITY, X20;\n    REGION, X4;\n"
                "    PROD-NO, X8;\n    PROD-NAME, X30;\n    PRICE, R8 (2);\n    ORDER-NO, I4;\n"
                "    ORDER-DATE, X8;\n    COMMENTS, 2X20;\n    LINE-NO, I;\n    QUANTITY, I2;\n"
                "SETS:\n"
                "N: CUSTOMERS, MANUAL (1,2,5/2);\nE: CUST-NO (1), CUST-NAME, CITY, REGION;\nC: %ld;\n"
                "N: PRODUCTS, M (0/2);\nE: PROD-NO (1), PROD-NAME, PRICE;\nC: %ld;\n"
                "N: ORDER-KEYS, A (1/2);\nE: ORDER-NO (2);\nC: %ld;\n"
                "N: ORDERS, D (1/1,2);\nE: ORDER-NO (ORDER-KEYS), CUST-NO (!CUSTOMERS (ORDER-DATE)),\n"
                "   ORDER-DATE, COMMENTS;\nC: %ld;\n"
                "N: ORDER-LINES, DETAIL (1/1,2);\nE: ORDER-NO (ORDER-KEYS (LINE-NO)), LINE-NO, PROD-NO (PRODUCTS),\n"
                "   QUANTITY;\nC: %ld;\n"
                "END.\n",
                customers + 1, products + 1, orders + 1, orders + 1, lines + 1);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "Usage: ordergen folder [records]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const long records = argc > 2 ? std::atol(argv[2]) : 100000;
  if (records < 20) {
    std::fprintf(stderr, "ordergen: at least 20 records\n");
    return 2;
  }
  // A twentieth customers, a twentieth products, a fifth orders, the rest
  // order lines (three or four an order).
  const long customers = records / 20, products = records / 20, orders = records / 5;
  const long lines = records - customers - products - orders;
  std::string text;
  char line[256];
  auto add = [&](int n) { text.append(line, static_cast<size_t>(n)); };
  auto flush = [&](const char* name) {
    const bool ok = write_file(folder + "/" + name, text);
    text.clear();
    return ok;
  };

  for (long c = 0; c < customers; ++c)
    add(std::snprintf(line, sizeof line, "\"C%07ld\",\"Name%s%ld%s end\",\"City %s%ld\",\"R%ld\"\n", c,
                      kAwkward[c % kAwkwardCount], c, kAwkward[(c / 3) % kAwkwardCount],
                      kAwkward[(c / 7) % kAwkwardCount], c % 97, c % 4));
  bool ok = flush("ORDERS.001.exp");
  for (long p = 0; p < products; ++p)
    add(std::snprintf(line, sizeof line, "\"P%07ld\",\"Part %s%ld\\\\%s\",%.12g\n", p,
                      kAwkward[(p + 5) % kAwkwardCount], p, kAwkward[(p / 2) % kAwkwardCount],
                      static_cast<double>(p % 500000) / 100));
  ok = flush("ORDERS.002.exp") && ok;
  // Orders by date; an order's lines follow its number.
  for (long o = 0; o < orders; ++o)
    add(std::snprintf(line, sizeof line, "%ld,\"C%07ld\",\"2026%02ld%02ld\",\"%s note %ld\",\"%s\"\n", 100000 + o,
                      (o * 7) % customers, 1 + o % 12, 1 + o % 28, kAwkward[o % kAwkwardCount], o,
                      o % 3 == 0 ? "" : kAwkward[(o / 3) % kAwkwardCount]));
  ok = flush("ORDERS.004.exp") && ok;
  for (long l = 0; l < lines; ++l)
    add(std::snprintf(line, sizeof line, "%ld,%ld,\"P%07ld\",%ld\n", 100000 + l % orders, l / orders + 1,
                      (l * 13) % products, (l % 65535) - 32767));
  ok = flush("ORDERS.005.exp") && ok;
  ok = write_file(folder + "/orders.schema", schema(customers, products, orders, lines)) && ok;
  if (!ok) {
    std::fprintf(stderr, "ordergen: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
