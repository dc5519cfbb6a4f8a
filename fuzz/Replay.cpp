// A fuzz target as an ordinary test, in every build: each input of its seed corpus, variants of
// them made by the same few edits libFuzzer makes, and random inputs. They are the same in every
// run, so a failure found here is found again; the target's own checks abort the run, and
// scripts/fuzz.sh then finds a small input for it.
#include <QDir>
#include <QFile>
#include <QList>
#include <cstdint>
#include <cstdio>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr int kVariantsPerInput = 300;
constexpr int kRandomInputs = 1000;

void run(const QByteArray& input)
{
    LLVMFuzzerTestOneInput(
        reinterpret_cast<const std::uint8_t*>(input.constData()), std::size_t(input.size()));
}

// One to four edits: a byte changed, inserted or removed, or a piece of another input put in.
QByteArray variant(QByteArray input, const QList<QByteArray>& corpus, std::mt19937& random)
{
    const auto below = [&random](qsizetype n) { return qsizetype(random() % quint32(n)); };
    for (int edits = 1 + int(random() % 4); edits > 0; --edits) {
        const qsizetype at = below(input.size() + 1);
        switch (random() % 4) {
        case 0:
            if (at < input.size())
                input[at] = char(random());
            break;
        case 1:
            input.insert(at, char(random()));
            break;
        case 2:
            input.remove(at, 1 + below(8));
            break;
        default: {
            const QByteArray& other = corpus[below(corpus.size())];
            input.insert(at, other.mid(below(other.size() + 1), 1 + below(64)));
        }
        }
    }
    return input;
}

} // namespace

int main(int argc, char* argv[])
{
    QList<QByteArray> corpus;
    const QDir folder(argc == 2 ? QString::fromLocal8Bit(argv[1]) : QString());
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        corpus << (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    if (argc != 2 || corpus.isEmpty()) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER, a folder of inputs\n", argv[0]);
        return 2;
    }
    std::mt19937 random(20261209);
    for (const QByteArray& input : corpus) {
        run(input);
        for (int i = 0; i < kVariantsPerInput; ++i)
            run(variant(input, corpus, random));
    }
    for (int i = 0; i < kRandomInputs; ++i) {
        QByteArray input(qsizetype(random() % 600), Qt::Uninitialized);
        for (char& byte : input)
            byte = char(random());
        run(input);
    }
    std::printf(
        "%lld inputs\n", (long long)(corpus.size() * (1 + kVariantsPerInput) + kRandomInputs));
    return 0;
}
