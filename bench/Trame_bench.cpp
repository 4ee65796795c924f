// Throughput of the frame and its check character, for the lengths the terminal deals in.
#include <benchmark/benchmark.h>

#include <string>

#include "protocol/Trame.h"

namespace zef30 {
namespace {

std::string Message(std::int64_t longueur) {
  std::string message = "AJ";
  message += std::to_string(1000 + longueur - 5).substr(1);
  while (static_cast<std::int64_t>(message.size()) < longueur) {
    message += static_cast<char>('0' + message.size() % 10);
  }
  return message;
}

void BM_CalculerLrc(benchmark::State& etat) {
  const std::string trame = EncadrerMessage(Message(etat.range(0)));
  for (auto _ : etat) benchmark::DoNotOptimize(CalculerLrc(trame));
  etat.SetBytesProcessed(etat.iterations() * static_cast<std::int64_t>(trame.size()));
}
BENCHMARK(BM_CalculerLrc)->Arg(5)->Arg(93)->Arg(243)->Arg(313)->Arg(999);

void BM_EncadrerMessage(benchmark::State& etat) {
  const std::string message = Message(etat.range(0));
  for (auto _ : etat) benchmark::DoNotOptimize(EncadrerMessage(message));
  etat.SetBytesProcessed(etat.iterations() * static_cast<std::int64_t>(message.size()));
}
BENCHMARK(BM_EncadrerMessage)->Arg(5)->Arg(93)->Arg(243)->Arg(313)->Arg(999);

}  // namespace
}  // namespace zef30
