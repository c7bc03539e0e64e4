// PostScript/EPS writer: header, prolog and page transformation at disini,
// body tokens through the 80-column line buffer, 50-point paths.
#include "engine/output/Device.h"
#include "engine/output/OutputFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace zedozo {

namespace {

constexpr double kPointsPerUnit = 0.1417322835;

const char* const kProlog[] = {
    "2 setlinecap 2 setlinejoin",
    "/cm {0.1417322835 mul} def /rgb {255 div} def /lc 1 string def",
    "/u  { /y exch cm def /x exch cm def newpath  x y moveto } def",
    "/d  { /y exch cm def /x exch cm def x y lineto } def",
    "/p  { stroke } def",
    "/e { /b exch rgb def /g exch rgb def",
    " /r exch rgb def /v exch cm def /w exch cm def /y exch cm def",
    " /x exch cm def gsave r g b setrgbcolor newpath x y moveto",
    " w y lineto w v lineto x v lineto closepath fill grestore } def",
    "/f { /b exch rgb def /g exch rgb def",
    " /r exch rgb def r g b setrgbcolor } def",
    "/text { /c1 exch def /a exch def /y exch cm def /x exch cm def",
    " /Name exch def gsave x y moveto x y translate a rotate c1 0 gt",
    " { Name stringwidth 2 div neg exch 2 div neg exch rmoveto }",
    " {} ifelse Name show grestore } def /font { /h exch def",
    " /s exch def s findfont h scalefont setfont } def",
    "/c { /a exch def /y exch cm def /x exch cm def /i exch def",
    " gsave x y moveto x y translate a rotate lc 0 i put lc",
    " stringwidth 2 div neg exch 2 div neg exch rmoveto lc show",
    " grestore } def",
    "/sec { /b exch rgb def /g exch rgb def /r exch rgb def",
    " /a2 exch def /a exch def /r2 exch cm def /r1 exch cm def",
    " /y exch cm def /x exch cm def gsave r g b setrgbcolor newpath",
    " x y r1 a a2 arc x y r2 a2 a arcn closepath fill grestore } def",
    "/tri { /y3 exch cm def /x3 exch cm def /y2 exch cm def",
    " /x2 exch cm def /y1 exch cm def /x1 exch cm def",
    " gsave newpath x1 y1 moveto",
    " x2 y2 lineto x3 y3 lineto closepath fill grestore } def",
    "/Reencsmalldict 12 dict def",
    "/ReEncodeSmall",
    "{ Reencsmalldict begin",
    "  /NewCodesAndNames exch def",
    "  /NewFontName exch def",
    "  /BaseFontName exch def",
    "  /BaseFontDict",
    "  BaseFontName findfont def",
    "  /NewFont BaseFontDict",
    "  maxlength dict def",
    "  BaseFontDict",
    "  { exch dup /FID ne",
    "    { dup /Encoding eq",
    "      { exch dup length array copy",
    "        NewFont 3 1 roll put",
    "      }",
    "      { exch NewFont 3 1 roll put",
    "      } ifelse",
    "      }",
    "      {pop pop} ifelse",
    "    } forall",
    "    NewFont",
    "    /FontName NewFontName put",
    "    NewCodesAndNames aload pop",
    "    NewCodesAndNames",
    "    length 2 idiv",
    "    { NewFont /Encoding get",
    "    3 1 roll put  } repeat",
    "    NewFontName NewFont",
    "    definefont pop end } def",
    " /GermanVec [ 8#177 /Adieresis",
    " 8#200 /Odieresis 8#201 /Udieresis 8#202 /adieresis",
    " 8#203 /odieresis 8#204 /udieresis 8#205 /germandbls",
    " 8#206 /Aring     8#207 /Oslash    8#210 /AE",
    " 8#211 /aring     8#212 /oslash    8#213 /ae",
    " 8#214 /Ntilde    8#215 /ntilde    8#216 /Ccedilla",
    " 8#217 /ccedilla  8#220 /Edieresis 8#221 /Idieresis",
    " 8#222 /edieresis 8#223 /idieresis 8#224 /Aacute",
    " 8#225 /Eacute    8#226 /Iacute    8#227 /Oacute",
    " 8#230 /Uacute    8#231 /aacute    8#232 /eacute",
    " 8#233 /iacute    8#234 /oacute    8#235 /uacute",
    " 8#236 /Agrave    8#237 /Egrave    8#240 /Igrave",
    " 8#241 /Ograve    8#242 /Ugrave    8#243 /agrave",
    " 8#244 /egrave    8#245 /igrave    8#246 /ograve",
    " 8#247 /ugrave      8#250 /Acircumflex 8#251 /Ecircumflex",
    " 8#252 /Icircumflex 8#253 /Ocircumflex 8#254 /Ucircumflex",
    " 8#255 /acircumflex 8#256 /ecircumflex 8#257 /icircumflex",
    " 8#260 /ocircumflex 8#261 /ucircumflex 8#262 /Atilde",
    " 8#263 /atilde 8#264 /Otilde 8#265 /otilde 8#266 /Yacute",
    " 8#267 /yacute 8#270 /ydieresis",
    " 8#271 /exclamdown 8#272 /questiondown ] def",
};

inline int rnd(float v)
{
    return int(v + 0.5f);
}

class PsWriter final : public Device {
public:

    bool open(DeviceContext& dc) override
    {
        DeviceContext& c = dc;
        out_ = c.out.get();
        c.colourDepth = 24;
        fill_ = 0;
        fontName_.clear();
        const float s = c.devscl;
        const int npagx = dc.npagx, npagy = dc.npagy;
        const bool landscape = npagx > npagy;
        const double k = kPointsPerUnit;

        OutputFile& f = *out_;
        f.write(c.devcode == 503 ? "%!PS-Adobe-3.0 EPSF-3.0\n" : "%!PS-Adobe-2.0\n");
        const double ex = landscape ? npagy : npagx;
        const double ey = landscape ? npagx : npagy;
        f.printf("%s %d %d %d %d\n", "%%BoundingBox: ", int(150 * k), int(200 * k), int((ex * s + 150) * k + 1),
            int((ey * s + 200) * k + 1));
        f.printf(landscape ? "%s %4.1f L\n" : "%s %4.1f P\n", "%%Creator: ZEDOZO ", double(kEngineVersion));
        const EngineTime t = engineNow();
        char date[32], time[32];
        std::snprintf(date, sizeof date, "%02d.%02d.%4d", t.day, t.month, t.year);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
        f.printf("%s %s , %s\n", "%%CreationDate:", date, time);
        f.write("%%EndComments\n");
        f.write("%%Page: 1 1\n");
        for (const char* line : kProlog) {
            f.write(line);
            f.put('\n');
        }
        f.printf("%s %10.6f%10.6f scale\n", "  150 cm   200 cm translate 5 cm setlinewidth", 1.0, 1.0);
        const bool background = (c.devcode == 503 || c.devcode == 504 || c.devcode == 502) && c.bgmode != 2;
        if (background) {
            if (landscape)
                f.printf("0 0 %d %d 0 0 0 e \n", rnd(float(npagy) * s), rnd(float(npagx) * s));
            else
                f.printf("0 %d %d 0 0 0 0 e \n", rnd(float(npagy) * s), rnd(float(npagx) * s));
        }
        path(0, 0, 0);
        return true;
    }

    void vectors(DeviceContext&, const DevVec* v, int n) override
    {
        for (int i = 0; i < n; ++i) path(rnd(v[i].x), rnd(v[i].y), v[i].pen);
    }

    void colour(DeviceContext&, int, Rgb rgb) override
    {
        path(0, 0, 9);
        char t[48];
        int n = std::snprintf(t, sizeof t, "%3d %3d %3d f ", rgb.r, rgb.g, rgb.b);
        token(t, n);
    }

    void polygon(DeviceContext&, const DevVec* p, int n) override
    {
        char t[48];
        for (int i = 0; i < n; ++i) {
            int k = std::snprintf(t, sizeof t, i == 0 ? "%5d %5d u " : "%5d %5d d ", rnd(p[i].x), rnd(p[i].y));
            token(t, k);
        }
        int k = std::snprintf(t, sizeof t, "%5d %5d d ", rnd(p[0].x), rnd(p[0].y));
        token(t, k);
        token("eofill ", 7);
    }

    void rect(DeviceContext&, float x1, float y1, float x2, float y2, int, Rgb rgb) override
    {
        // The path so far was drawn before the fill: stroke it first, so
        // that the fill covers it (the page border) as it does on PDF.
        path(0, 0, 9);
        char t[80];
        int n = std::snprintf(
            t, sizeof t, "%5d %5d %5d %5d %3d %3d %3d e ", rnd(x1), rnd(y1), rnd(x2), rnd(y2), rgb.r, rgb.g, rgb.b);
        token(t, n);
    }

    void character(DeviceContext& dc, int code, float x, float y, float width, const CharParams& p) override
    {
        const float s = dc.devscl;
        const float xb = x + (width / 2) * p.cosA - p.vOffset * p.sinA;
        const float yb = y - (width / 2) * p.sinA - p.vOffset * p.cosA;
        int X, Y, a;
        if (dc.npagx > dc.npagy) {
            X = rnd(yb * s);
            Y = rnd(xb * s);
            a = int(std::lround(p.angle)) + 90;
        } else {
            X = rnd(xb * s);
            Y = rnd((float(dc.npagy) - yb) * s);
            a = int(std::lround(p.angle));
        }
        char t[64];
        int n = std::snprintf(t, sizeof t, "%5d %5d %5d %5d c ", code, X, Y, a);
        token(t, n);
    }

    void font(DeviceContext& dc, const char* name, float height, int refHeight, bool select) override
    {
        const double size
            = double(height) * dc.devscl * 0.28346458 * (1000.0 / (refHeight > 0 ? refHeight : 1000)) * 0.5;
        std::string t;
        if (select) {
            const std::string base = name ? name : "Times-Roman";
            t = "(" + base + ") ";
            token(t.data(), int(t.size()));
            t = "(" + base + "-German) ";
            token(t.data(), int(t.size()));
            token("GermanVec ReEncodeSmall ", 24);
            fontName_ = base + "-German";
        } else if (fontName_.empty()) {
            fontName_ = name ? name : "Times-Roman";
        }
        t = "(" + fontName_ + ") ";
        token(t.data(), int(t.size()));
        char sz[64];
        int n = std::snprintf(sz, sizeof sz, "%.1f font ", size);
        token(sz, n);
    }

    void palette(DeviceContext&, const std::uint32_t*) override { }
    void box(DeviceContext&, int, int, int, int) override { }
    void erase(DeviceContext&) override { }

    void finish(DeviceContext&) override
    {
        path(0, 0, 999);
        token("showpage ", 9);
        token(nullptr, -1);
        out_ = nullptr;
    }

private:
    // The 80-column token buffer: blanks end runs, lone blanks vanish, a run
    // that would overflow the line starts a new one. n == -1 writes it out.
    void token(const char* text, int n)
    {
        if (n < 0) {
            newLine();
            return;
        }
        int i = 0;
        while (i < n) {
            int j = i;
            while (j < n && text[j] != ' ') ++j;
            if (j < n) ++j; // the run includes its blank
            const int len = j - i;
            if (!(len == 1 && text[i] == ' ' && j < n)) {
                if (fill_ + len > 80) newLine();
                std::memcpy(line_ + fill_, text + i, std::size_t(len));
                fill_ += len;
            }
            i = j;
        }
    }

    // Writes the full line out and starts a new one.
    void newLine()
    {
        line_[fill_] = '\n';
        out_->write(line_, std::size_t(fill_) + 1);
        fill_ = 0;
    }

    // A two-character run ("u ", "d ", "p "): two stores, no copy call.
    void run2(char a, char b)
    {
        if (fill_ + 2 > 80) newLine();
        line_[fill_] = a;
        line_[fill_ + 1] = b;
        fill_ += 2;
    }

    // "%5d " through the token buffer: the padding blanks vanish there, so
    // the run is the digits and one blank. The digits go straight into the
    // line: a path writes millions of them.
    void number(int v)
    {
        unsigned u = v < 0 ? 0u - unsigned(v) : unsigned(v);
        int digits = 1;
        for (unsigned x = u; x >= 10; x /= 10) ++digits;
        const int len = digits + (v < 0 ? 1 : 0) + 1;
        if (fill_ + len > 80) newLine();
        char* p = line_ + fill_ + len;
        *--p = ' ';
        do {
            *--p = char('0' + u % 10);
            u /= 10;
        } while (u);
        if (v < 0) *--p = '-';
        fill_ += len;
    }

    // The path's tokens: "%5d %5d u " for point 1, "%5d %5d d " for the
    // others, then "p ".
    void flushPath()
    {
        if (count_ == 0) return;
        for (int i = 0; i < count_; ++i) {
            number(px_[i]);
            number(py_[i]);
            run2(i == 0 ? 'u' : 'd', ' ');
        }
        run2('p', ' ');
    }

    // The 50-point path.
    void path(int X, int Y, int pen)
    {
        switch (pen) {
        case 0:
            count_ = 0;
            lastX_ = lastY_ = 0;
            break;
        case 2:
            if (count_ == 0) {
                px_[0] = lastX_;
                py_[0] = lastY_;
                count_ = 1;
            }
            px_[count_] = X;
            py_[count_] = Y;
            ++count_;
            lastX_ = X;
            lastY_ = Y;
            if (count_ < kPathPoints) break;
            flushPath();
            px_[0] = X;
            py_[0] = Y;
            count_ = 1;
            break;
        case 3:
            flushPath();
            px_[0] = X;
            py_[0] = Y;
            count_ = 1;
            lastX_ = X;
            lastY_ = Y;
            break;
        case 9:
            flushPath();
            if (count_ > 0) {
                lastX_ = px_[count_ - 1];
                lastY_ = py_[count_ - 1];
            }
            count_ = 0;
            break;
        case 999:
            flushPath();
            count_ = 0;
            break;
        default:
            break;
        }
    }

    static constexpr int kPathPoints = 50;
    OutputFile* out_ = nullptr;
    char line_[82];
    int fill_ = 0;
    int px_[kPathPoints], py_[kPathPoints];
    int count_ = 0;
    int lastX_ = 0, lastY_ = 0;
    std::string fontName_;
};

} // namespace

std::unique_ptr<Device> createPsWriter()
{
    return std::make_unique<PsWriter>();
}

} // namespace zedozo
