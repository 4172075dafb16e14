#!/usr/bin/python3
"""What a screen reader hears from the readouts, read over the real AT-SPI bus.

Run by atspi_readouts.sh inside a private D-Bus session, with the program
already started. Drives the program the way an assistive technology can
(texts written into the grid's cells, the buttons' and the check box's actions),
then reads each readout's name and its text through the Text interface, and
follows a change of figure as a text-changed event.

    atspi_readouts.py <pid of the program>
"""
import sys
import time

import pyatspi
from gi.repository import GLib

POINTS = [("0", "0.4"), ("1", "1"), ("2", "2.2"), ("3", "4"), ("4", "5.8"), ("5", "7")]

# control, expected name, figure present
READOUTS = [
    ("Label6", "Derivadas Parciales, respecto de a", True),
    ("mejorA", "Mejor ajuste, a", True),
]


def application(pid):
    for _ in range(300):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == pid and app.childCount:
                return app
        time.sleep(0.1)
    sys.exit("the program never appeared on the accessibility bus")


def objects(node):
    for child in node:
        if child is not None:
            yield child
            yield from objects(child)


def find(app, name, role, wait=20.0):
    deadline = time.monotonic() + wait
    while True:
        for acc in objects(app):
            if acc.name == name and acc.getRole() == role:
                return acc
        if time.monotonic() > deadline:
            sys.exit("no %s named %r" % (pyatspi.Role(role).value_nick, name))
        time.sleep(0.1)


def act(acc, action_name):
    action = acc.queryAction()
    for k in range(action.nActions):
        if action.getName(k) == action_name:
            action.doAction(k)
            return
    sys.exit("%r offers no %r action" % (acc.name, action_name))


def text_of(acc):
    try:
        text = acc.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, text.characterCount)


def wait_for_text(acc, wait=20.0):
    deadline = time.monotonic() + wait
    while not text_of(acc) and time.monotonic() < deadline:
        time.sleep(0.1)
    return text_of(acc)


def main():
    app = application(int(sys.argv[1]))
    for row, (t, y) in enumerate(POINTS, start=1):
        for name, value in (("t, fila %d" % row, t), ("f(t), fila %d" % row, y)):
            find(app, name, pyatspi.ROLE_TEXT).queryEditableText().setTextContents(value)
    act(find(app, "Gráfica", pyatspi.ROLE_PUSH_BUTTON), "Press")
    act(find(app, "Mostrar el mejor ajuste", pyatspi.ROLE_CHECK_BOX), "Toggle")

    failures = []
    for control, name, figure_present in READOUTS:
        acc = find(app, name, pyatspi.ROLE_LABEL)
        text = wait_for_text(acc) if figure_present else text_of(acc)
        print("%-8s name=%r text=%r" % (control, acc.name, text))
        if text is None:
            failures.append("%s has no Text interface" % control)
        elif bool(text) != figure_present or text == name:
            failures.append("%s gives %r as its text" % (control, text))

    # A step shows the derivatives where it starts, so the second step is the
    # one that changes them: Label6 announces its new figure.
    label6 = find(app, READOUTS[0][1], pyatspi.ROLE_LABEL)
    inserted = []

    def heard(event):
        if event.source == label6:
            inserted.append(event.any_data)
            pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(heard, "object:text-changed:insert")
    step = find(app, "Un paso", pyatspi.ROLE_PUSH_BUTTON)
    a = find(app, "a", pyatspi.ROLE_TEXT)
    start = text_of(a)
    act(step, "Press")
    deadline = time.monotonic() + 20
    while text_of(a) == start and time.monotonic() < deadline:
        time.sleep(0.1)
    act(step, "Press")
    GLib.timeout_add(20000, pyatspi.Registry.stop)
    pyatspi.Registry.start()
    after = text_of(label6)
    print("Label6 after two steps: text=%r, heard inserted %r" % (after, inserted))
    if not inserted or inserted[-1] != after:
        failures.append("Label6's new figure %r was not announced" % after)

    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)


main()
