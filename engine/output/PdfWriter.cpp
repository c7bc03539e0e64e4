// PDF writer: one page in a PDF 1.3 file. Drawing operators are collected in
// 300000-byte content buffers, each deflated into its own FlateDecode
// stream; at disfin the fonts, page, page tree, catalog, information
// dictionary, cross-reference table and trailer follow.
//
// A full content buffer is a finished, independent stream: it is handed to
// a small pool of worker threads and drawing continues in a fresh buffer.
// Streams are written to the file strictly in their order, and nothing else
// reaches the file while a page is drawn, so the file (offsets included) is
// the same byte for byte as when every stream is deflated on the drawing
// thread.
#include "engine/output/PdfWriter.h"

#include "engine/output/Device.h"
#include "engine/Engine.h"
#include "engine/output/Deflate.h"
#include "engine/output/OutputFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace zedozo {

PdfWriterOptions& pdfWriterOptions()
{
    static PdfWriterOptions options;
    return options;
}

namespace {

constexpr std::size_t kContentCapacity = 300000;
constexpr int kFontCount = 35;

const char* const kFontNames[kFontCount] = {
    "Times-Roman",
    "Times-Bold",
    "Times-Italic",
    "Times-BoldItalic",
    "Helvetica",
    "Helvetica-Bold",
    "Helvetica-Oblique",
    "Helvetica-BoldOblique",
    "Helvetica-Narrow",
    "Helvetica-Narrow-Bold",
    "Helvetica-Narrow-Oblique",
    "Helvetica-Narrow-BoldOblique",
    "NewCenturySchlbk-Roman",
    "NewCenturySchlbk-Italic",
    "NewCenturySchlbk-Bold",
    "NewCenturySchlbk-BoldItalic",
    "ZapfChancery-MediumItalic",
    "ZapfDingbats",
    "Courier",
    "Courier-Bold",
    "Courier-Oblique",
    "Courier-BoldOblique",
    "AvantGarde-Book",
    "AvantGarde-Demi",
    "AvantGarde-BookOblique",
    "AvantGarde-DemiOblique",
    "Bookman-Light",
    "Bookman-LightItalic",
    "Bookman-Demi",
    "Bookman-DemiItalic",
    "Palatino-Roman",
    "Palatino-Italic",
    "Palatino-Bold",
    "Palatino-BoldItalic",
    "Symbol",
};

// Object types of the object table.
constexpr int kPlainObject = 0;
constexpr int kContentObject = 1;
constexpr int kPageObject = 2;
constexpr int kFontObjectBase = 10;

// One content stream: its raw bytes, and once deflated its packed bytes.
struct StreamJob {
    std::unique_ptr<std::uint8_t[]> raw;
    std::size_t n = 0;
    std::vector<std::uint8_t> packed;
    DeflateStatus status = DeflateStatus::Ok;
    int object = 0;
    bool done = true; // guarded by the pool's mutex while queued
};

// A few threads that deflate content streams.
class DeflatePool {
public:
    ~DeflatePool()
    {
        {
            std::lock_guard<std::mutex> lk(m_);
            stop_ = true;
        }
        work_.notify_all();
        for (std::thread& t : threads_) t.join();
    }

    // Queues the job unless every worker already has one waiting (starting
    // the workers on first use). False: the caller deflates it itself, so
    // the drawing thread helps instead of piling up buffers.
    bool submit(StreamJob* job, int maxThreads)
    {
        std::lock_guard<std::mutex> lk(m_);
        while (int(threads_.size()) < maxThreads) {
            try {
                threads_.emplace_back([this] { run(); });
            } catch (...) {
                break; // no thread to be had: fewer workers, or none
            }
        }
        if (queue_.size() >= threads_.size()) return false;
        job->done = false;
        queue_.push_back(job);
        work_.notify_one();
        return true;
    }

    // Waits for the job. One that no worker has taken yet is taken back and
    // deflated here: a worker that gets little of its core (another
    // program on it) must not leave the drawing thread idle.
    void wait(StreamJob* job)
    {
        std::unique_lock<std::mutex> lk(m_);
        if (!job->done) {
            const auto queued = std::find(queue_.begin(), queue_.end(), job);
            if (queued != queue_.end()) {
                queue_.erase(queued);
                lk.unlock();
                job->status = deflateBuffer(job->raw.get(), job->n, job->packed);
                lk.lock();
                job->done = true;
                return;
            }
        }
        done_.wait(lk, [job] { return job->done; });
    }

    bool isDone(StreamJob* job)
    {
        std::lock_guard<std::mutex> lk(m_);
        return job->done;
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lk(m_);
        for (;;) {
            work_.wait(lk, [this] { return stop_ || !queue_.empty(); });
            if (queue_.empty()) return;
            StreamJob* job = queue_.front();
            queue_.pop_front();
            lk.unlock();
            const DeflateStatus status = deflateBuffer(job->raw.get(), job->n, job->packed);
            lk.lock();
            job->status = status;
            job->done = true;
            done_.notify_all();
        }
    }

    std::mutex m_;
    std::condition_variable work_, done_;
    std::deque<StreamJob*> queue_;
    std::vector<std::thread> threads_;
    bool stop_ = false;
};

int automaticThreads()
{
    const unsigned hw = std::thread::hardware_concurrency();
    return std::clamp(int(hw) - 1, 1, 3);
}

struct PdfObject {
    std::uint64_t offset = 0;
    int type = kPlainObject;
};

// "%.2f" of a float, exactly as printf writes it. A float times 100 is exact
// in a double (24 + 5 significant bits), so rounding that product to an
// integer, ties to even like printf, gives printf's digits without its cost.
inline char* fixed2(char* p, char* end, float v)
{
    if (end - p < 48) return p; // callers leave room; never write past it
    const double t = double(v) * 100.0;
    if (!(std::fabs(t) < 9.0e15)) return std::to_chars(p, end, double(v), std::chars_format::fixed, 2).ptr;
    if (std::signbit(v)) *p++ = '-';
    const auto n = static_cast<unsigned long long>(std::nearbyint(std::fabs(t)));
    p = std::to_chars(p, end, n / 100).ptr;
    const unsigned f = unsigned(n % 100);
    p[0] = '.';
    p[1] = char('0' + f / 10);
    p[2] = char('0' + f % 10);
    return p + 3;
}

class PdfWriter final : public Device {
public:
    ~PdfWriter() override { discardPending(); }


    bool open(DeviceContext& dc) override
    {
        discardPending();
        DeviceContext& c = dc;
        out_ = c.out.get();
        c.colourDepth = 24;
        const PdfWriterOptions& o = pdfWriterOptions();
        threads_ = o.deflateThreads < 0 ? automaticThreads() : o.deflateThreads;
        compressWanted_ = o.contentBuffer;

        const float s = c.devscl;
        const bool landscape = dc.npagx > dc.npagy;
        const float w = float(landscape ? dc.npagy : dc.npagx) * s;
        const float h = float(landscape ? dc.npagx : dc.npagy) * s;
        mediaW_ = int(w + 1.0f);
        mediaH_ = int(h + 1.0f);
        rotate_ = landscape;

        objects_.clear();
        objects_.resize(3); // 0 free, 1 catalog, 2 page tree: numbered now, written last
        firstPageObject_ = 1;
        streamCount_ = 0;
        lastStream_ = 0;
        inStream_ = false;
        job_ = nullptr;
        fill_ = 0;
        pathPending_ = false;
        penState_ = 3;
        curX_ = curY_ = 0.0f;
        textOpen_ = false;
        textUsed_ = false;
        curFont_ = -1;
        curSize_ = -1;
        std::memset(fontUsed_, 0, sizeof fontUsed_);
        lastFill_[0] = lastFill_[1] = lastFill_[2] = -1;

        out_->write("%PDF-1.3\n");
        beginStream();
        emit("0.709 w\n");
        emit("2 J\n");
        emit("2 j\n");
        if (c.bgmode != 2) {
            setColour(0, 0, 0, 1);
            fillRectangle(0.0f, 0.0f, float(mediaW_), float(mediaH_));
        }
        return true;
    }

    void vectors(DeviceContext&, const DevVec* v, int n) override
    {
        for (int i = 0; i < n; ++i) path(v[i].x, v[i].y, v[i].pen);
    }

    void colour(DeviceContext&, int, Rgb rgb) override
    {
        setColour(rgb.r, rgb.g, rgb.b, 0);
        setColour(rgb.r, rgb.g, rgb.b, 1);
    }

    void polygon(DeviceContext&, const DevVec* p, int n) override
    {
        if (n <= 0) return;
        path(p[0].x, p[0].y, 3);
        for (int i = 1; i < n; ++i) path(p[i].x, p[i].y, 2);
        path(p[0].x, p[0].y, 5);
    }

    void rect(DeviceContext&, float x1, float y1, float x2, float y2, int, Rgb rgb) override
    {
        setColour(rgb.r, rgb.g, rgb.b, 1);
        fillRectangle(std::min(x1, x2), std::min(y1, y2), std::fabs(x2 - x1), std::fabs(y2 - y1));
    }

    void character(DeviceContext& dc, int code, float x, float y, float, const CharParams& p) override
    {
        const float s = dc.devscl;
        const float xb = x - p.vOffset * p.sinA;
        const float yb = y - p.vOffset * p.cosA;
        float X, Y, a;
        if (dc.npagx > dc.npagy) {
            X = yb * s;
            Y = xb * s;
            a = p.angle + 90.0f;
        } else {
            X = xb * s;
            Y = (float(dc.npagy) - yb) * s;
            a = p.angle;
        }
        const int ref = p.refHeight > 0 ? p.refHeight : 1000;
        const int size = int(10.0f * s * p.height * 1000.0f / float(ref) + 0.5f);
        const int font = std::clamp(p.fontIndex, 0, kFontCount - 1);

        if (pathPending_) strokePath();
        if (textOpen_ && (font != curFont_ || size != curSize_)) {
            emit("ET\n");
            textOpen_ = false;
        }
        curFont_ = font;
        curSize_ = size;
        if (fontUsed_[font] == 0) fontUsed_[font] = 1;
        if (!textOpen_) {
            emit("BT\n");
            emitf("/F%d %.1f Tf\n", font + 1, double(size) / 10.0);
            textOpen_ = true;
        }

        char t[160];
        char* q = t;
        char* const end = t + sizeof t;
        if (a == 0.0f) {
            q = put(q, "1 0 0 1 ");
        } else if (a == 90.0f) {
            q = put(q, "0 1 -1 0 ");
        } else {
            const double r = double(a) * 3.14159265358979323846 / 180.0;
            const float cs = float(std::cos(r)), sn = float(std::sin(r));
            for (float m : {cs, sn, -sn, cs}) {
                q = fixed2(q, end, m);
                *q++ = ' ';
            }
        }
        q = fixed2(q, end, X);
        *q++ = ' ';
        q = fixed2(q, end, Y);
        q = put(q, " Tm\n");
        emit(t, std::size_t(q - t));

        if (code >= 0 && code < 127 && code != '(' && code != ')' && code != '\\') {
            char c1[8] = {'(', char(code), ')', ' ', 'T', 'j', '\n'};
            emit(c1, 7);
        } else {
            int win = 32;
            if (code == '(' || code == ')' || code == '\\')
                win = code;
            else if (code >= 127 && code <= 186)
                win = winAnsiCode(code);
            emitf("(\\%o) Tj\n", unsigned(win));
        }
        textUsed_ = true;
    }

    // PDF takes font and size from each character.
    void font(DeviceContext&, const char*, float, int, bool) override { }
    void palette(DeviceContext&, const std::uint32_t*) override { }
    void box(DeviceContext&, int, int, int, int) override { }
    void erase(DeviceContext&) override { }

    void finish(DeviceContext&) override { path(0.0f, 0.0f, 1); }

private:
    // ---- output ------------------------------------------------------------

    static char* put(char* q, const char* s)
    {
        const std::size_t n = std::strlen(s);
        std::memcpy(q, s, n);
        return q + n;
    }

    // Every byte of the document goes through here: into the content buffer
    // while a compressed stream is open, else straight into the file.
    void emit(const char* s, std::size_t n)
    {
        if (inStream_ && job_) {
            if (fill_ + n > kContentCapacity) {
                endStream(false);
                beginStream();
                if (!(inStream_ && job_)) {
                    out_->write(s, n);
                    return;
                }
            }
            std::memcpy(job_->raw.get() + fill_, s, n);
            fill_ += n;
            return;
        }
        out_->write(s, n);
    }
    void emit(const char* s) { emit(s, std::strlen(s)); }

    void emitf(const char* fmt, ...) __attribute__((format(printf, 2, 3)))
    {
        char t[256];
        std::va_list ap;
        va_start(ap, fmt);
        const int n = std::vsnprintf(t, sizeof t, fmt, ap);
        va_end(ap);
        if (n > 0) emit(t, std::size_t(std::min<int>(n, int(sizeof t) - 1)));
    }

    void fileWrite(const char* s) { out_->write(s, std::strlen(s)); }

    std::uint64_t bytes() const { return out_->bytesWritten(); }

    // A new object in the file now: offset, type, "n 0 obj".
    int newObject(int type)
    {
        const int n = int(objects_.size());
        objects_.push_back(PdfObject {bytes(), type});
        out_->printf("%d 0 obj\n", n);
        return n;
    }

    // ---- content streams ---------------------------------------------------

    StreamJob* acquireJob()
    {
        if (!compressWanted_) return nullptr;
        if (!free_.empty()) {
            StreamJob* j = free_.back();
            free_.pop_back();
            return j;
        }
        auto j = std::unique_ptr<StreamJob>(new (std::nothrow) StreamJob);
        if (!j) return nullptr;
        j->raw.reset(new (std::nothrow) std::uint8_t[kContentCapacity]);
        if (!j->raw) return nullptr;
        jobs_.push_back(std::move(j));
        return jobs_.back().get();
    }

    void beginStream()
    {
        job_ = acquireJob();
        const int n = int(objects_.size());
        ++streamCount_;
        lastStream_ = n;
        if (job_) {
            // Numbered now, placed in the file when its turn comes.
            objects_.push_back(PdfObject {0, kContentObject});
            job_->object = n;
            job_->n = 0;
            fill_ = 0;
        } else {
            drainPending();
            newObject(kContentObject);
            out_->printf("<< /Length %d 0 R >>\n", n + 1);
            fileWrite("stream\n");
            streamStart_ = bytes();
        }
        inStream_ = true;
    }

    void endStream(bool last)
    {
        inStream_ = false;
        if (job_) {
            StreamJob* j = job_;
            job_ = nullptr;
            j->n = fill_;
            fill_ = 0;
            // The last stream is deflated here: the drawing thread would
            // only wait for it.
            if (last || threads_ <= 0 || !pool_.submit(j, threads_))
                j->status = deflateBuffer(j->raw.get(), j->n, j->packed);
            pending_.push_back(j);
            // Write out what is finished, in order; never hold more than a
            // few buffers (about 2.4 MB per worker), enough that a slow
            // worker seldom makes the drawing thread wait for it.
            const std::size_t most = 8 * std::size_t(threads_ > 0 ? threads_ : 0) + 2;
            while (!pending_.empty() && (pending_.size() > most || pool_.isDone(pending_.front()))) retireFront();
            return;
        }
        // The length counts the stream data only, not the keywords after it.
        const std::uint64_t length = bytes() - streamStart_;
        fileWrite("endstream\n");
        fileWrite("endobj\n");
        newObject(kPlainObject);
        out_->printf("%llu\n", static_cast<unsigned long long>(length));
        fileWrite("endobj\n");
    }

    void retireFront()
    {
        StreamJob* j = pending_.front();
        pool_.wait(j);
        pending_.pop_front();
        objects_[std::size_t(j->object)].offset = bytes();
        out_->printf("%d 0 obj\n", j->object);
        if (j->status == DeflateStatus::Ok) {
            out_->printf("<< /Length %zu\n", j->packed.size());
            fileWrite("/Filter /FlateDecode\n");
            fileWrite(">>\n");
            fileWrite("stream\n");
            out_->write(j->packed.data(), j->packed.size());
        } else {
            // Deflate failed: the raw bytes, length inline.
            out_->printf("<< /Length %zu >>\n", j->n);
            fileWrite("stream\n");
            out_->write(j->raw.get(), j->n);
        }
        fileWrite("endstream\n");
        fileWrite("endobj\n");
        free_.push_back(j);
    }

    void drainPending()
    {
        while (!pending_.empty()) retireFront();
    }

    // A cycle that ended without disfin leaves its streams unwritten.
    void discardPending()
    {
        for (StreamJob* j : pending_) {
            pool_.wait(j);
            free_.push_back(j);
        }
        pending_.clear();
        if (job_) free_.push_back(job_);
        job_ = nullptr;
        inStream_ = false;
    }

    // ---- drawing -----------------------------------------------------------

    void strokePath()
    {
        emit("S\n");
        pathPending_ = false;
        penState_ = 3;
    }

    static char* pointText(char* t, float x, float y, char op)
    {
        char* q = fixed2(t, t + 60, x);
        *q++ = ' ';
        q = fixed2(q, q + 60, y);
        *q++ = ' ';
        *q++ = op;
        *q++ = '\n';
        return q;
    }

    void point(float x, float y, char op)
    {
        // Most points go straight into the content buffer: a point's text
        // is at most 124 bytes, so with that much room left the stream
        // would not have been cut before it either.
        if (inStream_ && job_ && fill_ + 128 <= kContentCapacity) {
            char* t = reinterpret_cast<char*>(job_->raw.get()) + fill_;
            fill_ += std::size_t(pointText(t, x, y, op) - t);
            return;
        }
        char t[128];
        emit(t, std::size_t(pointText(t, x, y, op) - t));
    }

    // Path operations: 1 finish the document, 2 draw, 3 move, 5 close and fill.
    void path(float x, float y, int op)
    {
        if (textOpen_) {
            emit("ET\n");
            textOpen_ = false;
        }
        if (pathPending_ && op != 2 && op != 5) strokePath();
        switch (op) {
        case 2:
            if (penState_ == 3) point(curX_, curY_, 'm');
            point(x, y, 'l');
            pathPending_ = true;
            curX_ = x;
            curY_ = y;
            penState_ = 2;
            break;
        case 3:
            curX_ = x;
            curY_ = y;
            penState_ = 3;
            break;
        case 5:
            emit("h\n");
            emit("f*\n");
            // The fill consumed the path: a draw that follows starts anew
            // with "m" instead of an "l" without a current point.
            penState_ = 3;
            break;
        case 1:
            finishDocument();
            break;
        default:
            break;
        }
    }

    // Colour, mode 0 stroke, 1 fill (only when it changes).
    void setColour(int r, int g, int b, int mode)
    {
        if (pathPending_) strokePath();
        if (textOpen_) {
            emit("ET\n");
            textOpen_ = false;
        }
        if (mode == 1) {
            if (r == lastFill_[0] && g == lastFill_[1] && b == lastFill_[2]) return;
            lastFill_[0] = r;
            lastFill_[1] = g;
            lastFill_[2] = b;
        }
        for (int v : {r, g, b}) {
            if (v == 0)
                emit("0 ");
            else if (v == 255)
                emit("1 ");
            else
                emitf("%5.3f ", double(float(v) / 255.0f));
        }
        emit(mode == 0 ? "RG\n" : "rg\n");
    }

    void fillRectangle(float x, float y, float w, float h)
    {
        char t[256];
        char* q = t;
        for (float v : {x, y, w, h}) {
            q = fixed2(q, q + 60, v);
            *q++ = ' ';
        }
        q = put(q, "re\n");
        emit(t, std::size_t(q - t));
        emit("f\n");
    }

    // ---- the end of the document -------------------------------------------

    void finishDocument()
    {
        endStream(true);
        drainPending();
        writeFonts();
        writePage();
        writePagesAndCatalog();
        writeInfoAndXref();
        objects_.clear();
        out_ = nullptr;
    }

    // A font object for each font the page used.
    void writeFonts()
    {
        for (int i = 0; i < kFontCount; ++i) {
            if (fontUsed_[i] != 1) continue;
            newObject(kFontObjectBase + i);
            fileWrite("<< /Type /Font\n");
            fileWrite("/Subtype /Type1\n");
            out_->printf("/BaseFont /%s\n", kFontNames[i]);
            if (std::strcmp(kFontNames[i], "ZapfDingbats") != 0 && std::strcmp(kFontNames[i], "Symbol") != 0)
                fileWrite("/Encoding /WinAnsiEncoding\n");
            fileWrite(">>\n");
            fileWrite("endobj\n");
            fontUsed_[i] = 2;
        }
    }

    // The page object: media box, rotation, fonts, content streams.
    void writePage()
    {
        newObject(kPageObject);
        fileWrite("<<\n");
        fileWrite("/Type /Page\n");
        out_->printf("/MediaBox [0 0 %d %d]\n", mediaW_, mediaH_);
        fileWrite("/Parent 2 0 R\n");
        if (rotate_) fileWrite("/Rotate 90\n");
        const int count = int(objects_.size());
        if (textUsed_) {
            fileWrite("/Resources << /ProcSet [/PDF /Text]\n");
            fileWrite("/Font <<\n");
            for (int n = firstPageObject_; n < count; ++n) {
                const int type = objects_[std::size_t(n)].type;
                if (type >= kFontObjectBase) out_->printf("/F%d %d 0 R\n", type - kFontObjectBase + 1, n);
            }
            fileWrite(">>\n");
        } else {
            fileWrite("/Resources << /ProcSet [/PDF]\n");
        }
        fileWrite(">>\n");
        if (streamCount_ == 1) {
            out_->printf("/Contents %d 0 R\n", lastStream_);
        } else {
            fileWrite("/Contents [\n");
            for (int n = firstPageObject_; n < count; ++n)
                if (objects_[std::size_t(n)].type == kContentObject) out_->printf("%d 0 R\n", n);
            fileWrite("]\n");
        }
        fileWrite(">>\n");
        fileWrite("endobj\n");
    }

    // The page tree (object 2) and the catalogue (object 1).
    void writePagesAndCatalog()
    {
        const int count = int(objects_.size());
        objects_[2] = PdfObject {bytes(), kPlainObject};
        fileWrite("2 0 obj\n");
        fileWrite("<< /Type /Pages /Kids [\n");
        int pages = 0;
        for (int n = 1; n < count; ++n) {
            if (objects_[std::size_t(n)].type != kPageObject) continue;
            out_->printf("%d 0 R\n", n);
            ++pages;
        }
        out_->printf("] /Count %d\n", pages);
        fileWrite(">>\n");
        fileWrite("endobj\n");

        objects_[1] = PdfObject {bytes(), kPlainObject};
        fileWrite("1 0 obj\n");
        fileWrite("<< /Type /Catalog /Pages 2 0 R\n");
        fileWrite(">>\n");
        fileWrite("endobj\n");
    }

    // The document information, the cross-reference table and the trailer.
    void writeInfoAndXref()
    {
        const int info = newObject(kPlainObject);
        const EngineTime t = engineNow();
        out_->printf(
            "<< /CreationDate (D:%04d%02d%02d%02d%02d%02d)\n", t.year, t.month, t.day, t.hour, t.minute, t.second);
        fileWrite("/Producer (ZEDOZO 9.0)\n");
        fileWrite(">>\n");
        fileWrite("endobj\n");

        const std::uint64_t xref = bytes();
        const int size = int(objects_.size());
        fileWrite("xref\n");
        out_->printf("0 %d\n", size);
        fileWrite("0000000000 65535 f \n");
        for (int n = 1; n < size; ++n)
            out_->printf("%010llu 00000 n \n", static_cast<unsigned long long>(objects_[std::size_t(n)].offset));
        fileWrite("trailer\n");
        out_->printf("<< /Size %d /Root 1 0 R /Info %d 0 R\n", size, info);
        fileWrite(">>\n");
        fileWrite("startxref\n");
        out_->printf("%llu\n", static_cast<unsigned long long>(xref));
        fileWrite("%%EOF\n");
    }

    OutputFile* out_ = nullptr;
    std::vector<PdfObject> objects_; // by object number
    int firstPageObject_ = 1;
    int streamCount_ = 0;
    int lastStream_ = 0;
    bool compressWanted_ = true;
    bool rotate_ = false;
    bool inStream_ = false;
    std::uint64_t streamStart_ = 0;
    int mediaW_ = 0, mediaH_ = 0;
    bool pathPending_ = false;
    int penState_ = 3;
    float curX_ = 0, curY_ = 0;
    bool textOpen_ = false;
    bool textUsed_ = false;
    int curFont_ = -1, curSize_ = -1;
    unsigned char fontUsed_[kFontCount] = {};
    int lastFill_[3] = {-1, -1, -1};

    // Content buffers: the open one, finished ones waiting for their turn in
    // the file, and spare ones kept for the next stream and the next plot.
    StreamJob* job_ = nullptr;
    std::size_t fill_ = 0;
    std::deque<StreamJob*> pending_;
    std::vector<StreamJob*> free_;
    std::vector<std::unique_ptr<StreamJob>> jobs_;
    int threads_ = 0;
    DeflatePool pool_; // declared last: its threads stop before the buffers go
};

} // namespace

char* formatFixed2(char* p, char* end, float v)
{
    return fixed2(p, end, v);
}

std::unique_ptr<Device> createPdfWriter()
{
    return std::make_unique<PdfWriter>();
}

} // namespace zedozo
