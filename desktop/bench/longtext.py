#!/usr/bin/env python3
"""Writes a long memoria text for the responsiveness benchmark: plausible
lines of at most 80 characters, CR LF line ends, pages of 60 lines separated
by form feeds, until the file reaches SIZE bytes or PAGES pages.
Usage: longtext.py FILE (--bytes SIZE | --pages PAGES)"""
import random
import sys

WORDS = ("la sociedad ha registrado durante el ejercicio un resultado positivo "
         "de explotación que se destina a reservas voluntarias conforme al "
         "acuerdo de la junta general de accionistas celebrada en su domicilio "
         "social las cuentas anuales se han formulado a partir de los registros "
         "contables y muestran la imagen fiel del patrimonio de la situación "
         "financiera y de los resultados del periodo los criterios de valoración "
         "aplicados al inmovilizado material a las existencias y a los créditos "
         "comerciales no han variado respecto del año anterior").split()


def pages(rng):
    number = 0
    while True:
        number += 1
        lines = [f"MEMORIA DEL EJERCICIO - Página {number}", ""]
        while len(lines) < 60:
            line = ""
            while True:
                word = rng.choice(WORDS)
                if len(line) + len(word) + 1 > 76:
                    break
                line = f"{line} {word}" if line else word.capitalize()
            lines.append(line + ".")
        yield ("\r\n".join(lines) + "\r\n").encode("cp1252")


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in ("--bytes", "--pages"):
        sys.exit(__doc__)
    limit = int(sys.argv[3])
    rng = random.Random(22)
    # A few hundred distinct pages, repeated with their own page numbers.
    bodies = []
    source = pages(rng)
    for _ in range(300):
        bodies.append(next(source).split(b"\r\n", 1)[1])
    written = 0
    with open(sys.argv[1], "wb") as out:
        for n in range(1, 10**9):
            if sys.argv[2] == "--pages" and n > limit:
                break
            head = f"MEMORIA DEL EJERCICIO - Página {n}\r\n".encode("cp1252")
            page = (b"\f\r\n" if n > 1 else b"") + head + bodies[n % len(bodies)]
            out.write(page)
            written += len(page)
            if sys.argv[2] == "--bytes" and written >= limit:
                break


main()
