#!/usr/bin/env python3
"""Program against program: runs two builds' vk7check on the same deposits and
reports every difference in what a clerk or a script gets.

  python3 scripts/compare-builds.py --base OLD/build/bin --new NEW/build/bin --sample examples/sample-deposit
                                    [--generated 200] [--pdf-every 25] [--seed 7] [--keep DIR]

Deposits: the bundled sample, ~20 hand-made cases (wrong fingerprint, missing,
extra, damaged files, long names...) and N generated ones (the sample or a case
with memoria pages appended, DATOS.ASC / INSTANCIA.ASC digits changed, files
removed or added, GESTION.TXT bytes appended; the typed fingerprint the computed
one 60 % of the time).

Compared per deposit: the raw bytes of `--json --sin-textos` and `--json`
(workFolder masked), the sheet on standard output, standard error with clock
times masked, the exit codes; for the sample, every case and every Nth generated
deposit also `--pdf F --print todo`, rendered page by page at 40 dpi (pdftoppm)
and compared image by image (page counts too).
Register off (--sin-registro). Exit 0 when no difference.
"""
import argparse, hashlib, os, random, re, shutil, subprocess, sys, tempfile

SAMPLE = None


def run(binary, args, root, env_extra=None):
    if os.path.exists(root):
        shutil.rmtree(root)
    os.makedirs(root, mode=0o700)
    env = dict(os.environ)
    env["QT_QPA_PLATFORM"] = "offscreen"
    env.pop("VK7_REGISTRO", None)
    env["LC_ALL"] = "C.UTF-8"
    env["TZ"] = "Europe/Madrid"
    if env_extra:
        env.update(env_extra)
    p = subprocess.run([binary, "--root", root] + args, capture_output=True, env=env, timeout=600,
                       stdin=subprocess.DEVNULL)
    return p.returncode, p.stdout, p.stderr


TIME_RE = re.compile(rb"\d{1,2}:\d{2}(:\d{2})?")
DATE_RE = re.compile(rb"\d{2}/\d{2}/\d{4}|\d{4}-\d{2}-\d{2}")


def mask(b, root):
    b = b.replace(root.encode(), b"<ROOT>")
    b = TIME_RE.sub(b"<T>", b)
    b = DATE_RE.sub(b"<D>", b)
    return b


def pdf_pages(pdf, outdir):
    if not os.path.exists(pdf):
        return None
    os.makedirs(outdir, exist_ok=True)
    subprocess.run(["pdftoppm", "-r", "40", "-gray", pdf, os.path.join(outdir, "p")], check=False,
                   capture_output=True)
    pages = sorted(f for f in os.listdir(outdir) if f.startswith("p"))
    out = []
    for f in pages:
        with open(os.path.join(outdir, f), "rb") as h:
            out.append(hashlib.md5(h.read()).hexdigest())
    return out


def copy_sample(dst):
    shutil.copytree(SAMPLE, dst)


def rewrite_manifest(folder, names):
    with open(os.path.join(folder, "FICHERO.TXT"), "wb") as h:
        h.write(b"".join(n.encode() + b"\r\n" for n in names))


def read_manifest(folder):
    with open(os.path.join(folder, "FICHERO.TXT"), "rb") as h:
        data = h.read()
    return [l.decode("latin-1") for l in re.split(rb"\r?\n", data) if l.strip()]


def change_digits(path, rng, count):
    with open(path, "rb") as h:
        data = bytearray(h.read())
    positions = [i for i, c in enumerate(data) if 48 <= c <= 57]
    for _ in range(count):
        if not positions:
            break
        i = rng.choice(positions)
        data[i] = 48 + rng.randrange(10)
    with open(path, "wb") as h:
        h.write(bytes(data))


def change_amounts(path, rng, count):
    """Changes digits of the amounts of DATOS.ASC's data lines (the values the rules add up)."""
    with open(path, "rb") as h:
        data = bytearray(h.read())
    positions = []
    start = 0
    for line in data.split(b"\n"):
        if line.startswith(b"2") and len(line) >= 52:
            positions += [start + i for i in list(range(26, 36)) + list(range(42, 52)) if 48 <= line[i] <= 57]
        start += len(line) + 1
    for _ in range(count):
        if positions:
            data[rng.choice(positions)] = 48 + rng.randrange(10)
    with open(path, "wb") as h:
        h.write(bytes(data))


def append_bytes(path, data):
    with open(path, "ab") as h:
        h.write(data)


PROSE = ("La sociedad ha desarrollado su actividad con normalidad durante el ejercicio. "
         "Las cuentas anuales se han formulado de acuerdo con el marco normativo. ")


def make_cases(base):
    """Hand-made cases: (name, folder, fingerprint or None for the computed one)."""
    cases = []

    def new(name):
        d = os.path.join(base, name)
        copy_sample(d)
        return d

    fp = open(SAMPLE + ".fingerprint").read().strip()
    d = new("sample")
    cases.append(("sample", d, fp))
    d = new("wrong-fingerprint")
    cases.append(("wrong-fingerprint", d, fp[:-1] + ("A" if fp[-1] != "A" else "B")))
    d = new("short-fingerprint")
    cases.append(("short-fingerprint", d, fp[:20]))
    d = new("lower-fingerprint")
    cases.append(("lower-fingerprint", d, fp.lower()))
    for f in ["DATOS.ASC", "INSTANCIA.ASC", "MEMORIA.TXT", "GESTION.TXT", "MEMORIA.M01", "AUDITOR.001"]:
        d = new("missing-" + f)
        os.remove(os.path.join(d, f))
        cases.append(("missing-" + f, d, None))
    d = new("unlisted")
    with open(os.path.join(d, "EXTRA.TXT"), "wb") as h:
        h.write(b"Texto\r\n")
    cases.append(("unlisted", d, None))
    d = new("listed-absent")
    rewrite_manifest(d, read_manifest(d) + ["OTRO.TXT"])
    cases.append(("listed-absent", d, None))
    d = new("no-manifest")
    os.remove(os.path.join(d, "FICHERO.TXT"))
    cases.append(("no-manifest", d, fp))
    d = new("datos-digits")
    change_amounts(os.path.join(d, "DATOS.ASC"), random.Random(1), 12)
    cases.append(("datos-digits", d, None))
    d = new("instancia-digits")
    change_digits(os.path.join(d, "INSTANCIA.ASC"), random.Random(2), 6)
    cases.append(("instancia-digits", d, None))
    d = new("datos-truncated")
    with open(os.path.join(d, "DATOS.ASC"), "r+b") as h:
        h.truncate(500)
    cases.append(("datos-truncated", d, None))
    d = new("bad-dates-cnae")
    p = os.path.join(d, "DATOS.ASC")
    data = open(p, "rb").read()
    data = data.replace(b"810290+000002005010100", b"810290+000002005130100")
    data = data.replace(b"810010+000000000281100", b"810010+000000000999900")
    open(p, "wb").write(data)
    cases.append(("bad-dates-cnae", d, None))
    d = new("long-memoria")
    append_bytes(os.path.join(d, "MEMORIA.TXT"), ((PROSE * 3 + "\r\n") * 400).encode("latin-1"))
    cases.append(("long-memoria", d, None))
    d = new("binary-gestion")
    append_bytes(os.path.join(d, "GESTION.TXT"), bytes(range(256)) * 4)
    cases.append(("binary-gestion", d, None))
    d = new("bad-tif")
    with open(os.path.join(d, "MEMORIA.M02"), "wb") as h:
        h.write(b"II*\x00garbage" * 10)
    cases.append(("bad-tif", d, None))
    d = new("empty-datos")
    open(os.path.join(d, "DATOS.ASC"), "wb").close()
    cases.append(("empty-datos", d, None))
    return cases


def generate(base, n, rng, cases):
    out = []
    sources = [c for c in cases if c[0] in ("sample", "datos-digits", "bad-dates-cnae", "instancia-digits", "unlisted",
                                             "missing-GESTION.TXT", "long-memoria")]
    for i in range(n):
        src = rng.choice(sources)
        d = os.path.join(base, "gen%04d" % i)
        shutil.copytree(src[1], d)
        ops = rng.sample(["memoria", "datos", "instancia", "remove", "add", "gestion"], rng.randrange(1, 4))
        for op in ops:
            if op == "memoria" and os.path.exists(os.path.join(d, "MEMORIA.TXT")):
                append_bytes(os.path.join(d, "MEMORIA.TXT"),
                             ((PROSE + "\r\n") * rng.randrange(10, 300)).encode("latin-1"))
            elif op == "datos" and os.path.exists(os.path.join(d, "DATOS.ASC")):
                if rng.random() < 0.8:
                    change_amounts(os.path.join(d, "DATOS.ASC"), rng, rng.randrange(1, 8))
                else:
                    change_digits(os.path.join(d, "DATOS.ASC"), rng, rng.randrange(1, 4))
            elif op == "instancia" and os.path.exists(os.path.join(d, "INSTANCIA.ASC")):
                change_digits(os.path.join(d, "INSTANCIA.ASC"), rng, rng.randrange(1, 4))
            elif op == "remove":
                files = [f for f in os.listdir(d) if f != "FICHERO.TXT"]
                if files:
                    os.remove(os.path.join(d, rng.choice(files)))
            elif op == "add":
                name = rng.choice(["EXTRA.TXT", "NOTA.DOC", "MEMORIA.M03"])
                with open(os.path.join(d, name), "wb") as h:
                    h.write(os.urandom(rng.randrange(10, 500)))
            elif op == "gestion" and os.path.exists(os.path.join(d, "GESTION.TXT")):
                append_bytes(os.path.join(d, "GESTION.TXT"), os.urandom(rng.randrange(1, 200)))
        out.append(("gen%04d" % i, d, "RANDOM" if rng.random() < 0.4 else None))
    return out


def main():
    global SAMPLE
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--base", required=True, help="the bin folder of the build to compare against")
    ap.add_argument("--new", required=True)
    ap.add_argument("--sample", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples", "sample-deposit"))
    ap.add_argument("--generated", type=int, default=200)
    ap.add_argument("--pdf-every", type=int, default=25)
    ap.add_argument("--seed", type=int, default=7)
    ap.add_argument("--keep", default=None, help="work folder to keep (default: a temporary one)")
    ap.add_argument("--only-cases", action="store_true")
    a = ap.parse_args()
    SAMPLE = a.sample
    work = a.keep or tempfile.mkdtemp(prefix="vk7cmp-")
    os.makedirs(work, exist_ok=True)
    deposits = os.path.join(work, "deposits")
    if os.path.exists(deposits):
        shutil.rmtree(deposits)
    os.makedirs(deposits)
    rng = random.Random(a.seed)
    cases = make_cases(deposits)
    gen = [] if a.only_cases else generate(deposits, a.generated, rng, cases)
    base_check = os.path.join(a.base, "vk7check")
    new_check = os.path.join(a.new, "vk7check")
    root = os.path.join(work, "root")
    diffs = 0
    total = 0
    pdf_count = 0
    for idx, (name, folder, fp) in enumerate(cases + gen):
        if fp is None or fp == "RANDOM":
            # The computed fingerprint, as the base build computes it.
            code, out, err = run(base_check, ["--json", "--sin-textos", "--sin-registro", folder, "X" * 26], root)
            m = re.search(rb'"computedFingerprint":"([0-9A-Z]{26})"', out)
            computed = m.group(1).decode() if m else "X" * 26
            if fp == "RANDOM":
                s = list(computed)
                s[rng.randrange(26)] = rng.choice("0123456789ABCDEFGHJKMNPQRSTVWXYZ")
                fp = "".join(s)
            else:
                fp = computed
        total += 1
        variants = [["--json", "--sin-textos"], ["--json"], []]
        with_pdf = idx < len(cases) or (a.pdf_every and (idx - len(cases)) % a.pdf_every == 0)
        for v in variants:
            rb = run(base_check, v + ["--sin-registro", folder, fp], root)
            rn = run(new_check, v + ["--sin-registro", folder, fp], root)
            for label, x, y in (("exit", str(rb[0]).encode(), str(rn[0]).encode()),
                                ("stdout", mask(rb[1], root), mask(rn[1], root)),
                                ("stderr", mask(rb[2], root), mask(rn[2], root))):
                if x != y:
                    diffs += 1
                    print("DIFF %s %s %s" % (name, " ".join(v) or "(sheet)", label))
                    if label != "exit":
                        bx, by = x.splitlines(), y.splitlines()
                        for i in range(min(len(bx), len(by))):
                            if bx[i] != by[i]:
                                print("   base: %r\n   new:  %r" % (bx[i][:300], by[i][:300]))
                                break
                        else:
                            print("   lines: %d vs %d" % (len(bx), len(by)))
                    else:
                        print("   base %s new %s" % (x.decode(), y.decode()))
        if with_pdf:
            pdf_count += 1
            pages = []
            for tag, binary in (("base", base_check), ("new", new_check)):
                pdf = os.path.join(work, "out.pdf")
                kept = os.path.join(work, "out-%s.pdf" % tag)
                for f in (pdf, kept):
                    if os.path.exists(f):
                        os.remove(f)
                code, out, err = run(binary, ["--sin-registro", "--pdf", pdf, "--print", "todo", folder, fp], root)
                if os.path.exists(pdf):
                    os.rename(pdf, kept)
                pdf = kept
                pdir = os.path.join(work, "pages-%s" % tag)
                shutil.rmtree(pdir, ignore_errors=True)
                pages.append((code, pdf_pages(pdf, pdir), mask(err, root)))
            if pages[0][0] != pages[1][0]:
                diffs += 1
                print("DIFF %s pdf exit base %d new %d" % (name, pages[0][0], pages[1][0]))
            if pages[0][2] != pages[1][2]:
                diffs += 1
                print("DIFF %s pdf stderr" % name)
            pb, pn = pages[0][1], pages[1][1]
            if (pb is None) != (pn is None):
                diffs += 1
                print("DIFF %s pdf presence" % name)
            elif pb is not None:
                if len(pb) != len(pn):
                    diffs += 1
                    print("DIFF %s pdf pages %d vs %d" % (name, len(pb), len(pn)))
                else:
                    bad = [i + 1 for i in range(len(pb)) if pb[i] != pn[i]]
                    if bad:
                        diffs += 1
                        print("DIFF %s pdf page(s) %s of %d (images in %s)" % (name, bad[:10], len(pb), work))
        if (idx + 1) % 25 == 0:
            print("... %d deposits, %d differences" % (idx + 1, diffs), flush=True)
    print("deposits %d (cases %d, generated %d), pdf compared %d, differences %d" %
          (total, len(cases), len(gen), pdf_count, diffs))
    if not a.keep:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if diffs else 0


if __name__ == "__main__":
    sys.exit(main())
