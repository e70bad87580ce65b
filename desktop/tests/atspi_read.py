#!/usr/bin/env python3
"""Reads the running vk7 as a screen reader does, through AT-SPI.

  atspi_read.py unnamed TITLE       focusable controls of window TITLE without a name, and
                                    every text of it asked for its pieces as Orca asks
  atspi_read.py form JSON           the form view's fields against vk7check's JSON
  atspi_read.py focused             the name, value and key of the focused form field
  atspi_read.py taborder TITLE N    presses Tab N times in window TITLE: the focus
                                    goes from top-left, never back up-left, and comes back
  atspi_read.py texts TITLE         the texts window TITLE shows, one a line
Ends with 1 (and says why) on any fault, with 2 when vk7 or the window is not there.
"""
import json
import sys
import time

import gi
import pyatspi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# A program that stops answering fails a call in 5 s, not 25.
Atspi.set_timeout(5000, 15000)


def application():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "VK7":
                return app
        time.sleep(0.1)
    print("vk7 no está en el bus de accesibilidad")
    sys.exit(2)


def window(title):
    for _ in range(100):
        for win in application():
            if win is not None and win.name == title:
                return win
        time.sleep(0.1)
    names = [w.name for w in application() if w is not None]
    print(f'No está la ventana "{title}" en el bus (sí: {names})')
    sys.exit(2)


def walk(node, depth=0):
    yield node
    if depth > 40:
        return
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


def shown(node):
    states = node.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


def unnamed(title):
    win = window(title)
    focusable = 0
    missing = []
    for node in walk(win):
        if not shown(node) or not node.getState().contains(pyatspi.STATE_FOCUSABLE):
            continue
        focusable += 1
        if not node.name.strip():
            missing.append(f"{node.getRoleName()} en {node.parent.getRoleName()} "
                           f'"{node.parent.name}"')
    print(f'{title}: {focusable} controles que toman el foco, {len(missing)} sin nombre')
    for m in missing:
        print("  sin nombre:", m)
    if focusable == 0:
        print("  ningún control que tome el foco: el árbol no se lee")
        return 1
    return 1 if missing or text_pieces(win) else 0


BOUNDARIES = {"palabra": pyatspi.TEXT_BOUNDARY_WORD_START,
              "frase": pyatspi.TEXT_BOUNDARY_SENTENCE_START,
              "línea": pyatspi.TEXT_BOUNDARY_LINE_START}


def text_pieces(win):
    """Asks every text of the window for the word, sentence and line at its
    start, middle, end and one past its end, as Orca does when the clerk moves
    by words or lines; each answer must be a piece of the text holding the
    offset (the last piece at the end, nothing past it), a single line whole.
    A call the program never answers fails."""
    faults = []
    texts = 0
    for node in walk(win):
        try:
            text = node.queryText()
        except NotImplementedError:
            continue
        texts += 1
        where = "un texto"
        try:
            whole = text.getText(0, -1)
            n = text.characterCount
            where = f'{node.getRoleName()} "{node.name}" ("{whole}")'
            for kind, boundary in BOUNDARIES.items():
                for offset in sorted({0, n // 2, n, n + 1}):
                    piece, start, end = text.getTextAtOffset(offset, boundary)
                    holds = start <= offset < end if offset < n else (
                        end == n if offset == n else piece == "")
                    if n == 0:
                        holds = piece == ""
                    whole_line = (kind != "línea" or "\n" in whole or offset > n
                                  or piece == whole)
                    if not (0 <= start <= end <= n and piece == whole[start:end]
                            and holds and whole_line):
                        faults.append(f'{where}: la {kind} en {offset} es "{piece}" '
                                      f"({start}, {end})")
        except Exception as error:  # noqa: BLE001 - a call that times out, above all
            faults.append(f"{where}: no contesta ({error})")
            break
    print(f"  {texts} textos preguntados por palabra, frase y línea, {len(faults)} fallos")
    for fault in faults:
        print("  FALLO:", fault)
    return len(faults)


def value(node):
    text = node.queryText()
    return text.getText(0, -1)


def form_view():
    for win in application():
        for node in walk(win):
            if node.name == "Formulario" and node.getRoleName() == "panel":
                return node
    print('No está la vista "Formulario" con campos')
    sys.exit(1)


def amount(raw):
    """The value as the page writes an amount: 1234.5 -> 1.234,5."""
    sign, rest = ("-", raw[1:]) if raw.startswith("-") else ("", raw)
    whole, _, decimals = rest.replace(",", ".").partition(".")
    if not whole.isdigit() or (decimals and not decimals.isdigit()):
        return raw
    groups = []
    while len(whole) > 3:
        groups.insert(0, whole[-3:])
        whole = whole[:-3]
    groups.insert(0, whole)
    return sign + ".".join(groups) + ("," + decimals if decimals else "")


def form(json_file):
    with open(json_file, encoding="utf-8") as f:
        fields = {}
        for key, raw in json.load(f)["fields"]:
            fields.setdefault(key, raw)  # the first record of a key wins
    view = form_view()
    print(f'{view.name}: {view.description}, {view.childCount} campos')
    faults = []
    read = 0
    for field in view:
        key = int(field.description.removeprefix("Clave "))
        shown_value = value(field)
        raw = fields.get(key, "")
        accepted = {raw, amount(raw)} if raw else {""}
        if raw:
            accepted |= {"X", "código de barras"}
        if not field.name.strip():
            faults.append(f"clave {key}: sin nombre")
        if field.getRoleName() != "text" or field.getState().contains(pyatspi.STATE_EDITABLE):
            faults.append(f"clave {key}: no es un texto de sólo lectura ({field.getRoleName()})")
        if shown_value not in accepted:
            faults.append(f'clave {key} "{field.name}": "{shown_value}", el JSON da "{raw}"')
        print(f'  {field.name} = "{shown_value}" (clave {key})')
        read += 1 if shown_value else 0
    for fault in faults:
        print("  FALLO:", fault)
    if read == 0:
        print("  ningún campo con valor")
        return 1
    return 1 if faults else 0


def focused():
    view = form_view()
    for field in view:
        if field.getState().contains(pyatspi.STATE_FOCUSED):
            print(f'{field.name} = "{value(field)}" ({field.description})')
            return 0
    print("Ningún campo del formulario tiene el foco")
    return 1


ITEMS = ("list item", "table cell", "tree item")


def focused_in(win):
    # The deepest focused control (a group says it is focused when one of its
    # buttons is). A list's current item says it is focused even when the
    # list is not: an item counts only when no control is, as its list.
    control = item = None
    for node in walk(win):
        if not node.getState().contains(pyatspi.STATE_FOCUSED) or node.getRoleName() == "frame":
            continue
        if node.getRoleName() in ITEMS:
            item = item or node.parent
        else:
            control = node
    return control or item


def taborder(title, presses):
    import subprocess
    win = window(title)
    seen = []
    for _ in range(presses):
        node = None
        for _ in range(30):
            node = focused_in(win)
            if node is not None:
                break
            time.sleep(0.1)
        if node is None:
            print(f"{title}: nada tiene el foco")
            return 1
        x, y, w, h = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        seen.append((node.name or node.getRoleName(), x, y, h))
        subprocess.run(["xdotool", "key", "--clearmodifiers", "Tab"], check=True)
        time.sleep(0.15)
    print(f"{title}: " + " → ".join(name for name, *_ in seen))
    # From the top-left: each control is to the right on its line, or on a
    # lower line, or at the top of a column further right; never back up
    # and to the left. After the last comes the first again.
    for (n1, x1, y1, h1), (n2, x2, y2, h2) in zip(seen, seen[1:]):
        same_line = abs(y2 - y1) < max(h1, h2) / 2
        backward = (same_line and x2 < x1) or (not same_line and y2 < y1 and x2 <= x1)
        if backward and (n2, x2, y2, h2) != seen[0]:
            print(f'  "{n2}" viene después de "{n1}" y está antes en la ventana')
            return 1
    return 0


def texts(title):
    for node in walk(window(title)):
        if node.getRoleName() in ("label", "static", "text") and node.name.strip():
            print(node.name)
        elif node.getRoleName() in ("text",):
            print(value(node))
    return 0


def main():
    mode = sys.argv[1] if len(sys.argv) > 1 else ""
    if mode == "unnamed" and len(sys.argv) == 3:
        return unnamed(sys.argv[2])
    if mode == "form" and len(sys.argv) == 3:
        return form(sys.argv[2])
    if mode == "taborder" and len(sys.argv) == 4:
        return taborder(sys.argv[2], int(sys.argv[3]))
    if mode == "texts" and len(sys.argv) == 3:
        return texts(sys.argv[2])
    if mode == "focused":
        return focused()
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main())
