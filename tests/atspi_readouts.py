#!/usr/bin/python3
"""What a screen reader hears from the readouts, over the real AT-SPI bus.

Run by atspi_readouts.sh with the program started: drives it as an assistive
technology can (cell texts, button and check box actions), then reads each
readout's name and text and follows a new figure as a text-changed event.
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


def wait(what, found):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        result = found()
        if result:
            return result
        time.sleep(0.1)
    sys.exit("gave up waiting for " + what)


def objects(node):
    for child in node:
        if child is not None:
            yield child
            yield from objects(child)


def find(app, name, role):
    return wait(name, lambda: next((acc for acc in objects(app)
                                    if acc.name == name and acc.getRole() == role), None))


def act(acc, action_name):
    action = acc.queryAction()
    names = [action.getName(k) for k in range(action.nActions)]
    action.doAction(names.index(action_name))


def text_of(acc):
    try:
        text = acc.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, text.characterCount)


def main():
    pid = int(sys.argv[1])
    app = wait("the program", lambda: next((app for app in pyatspi.Registry.getDesktop(0)
                                            if app and app.get_process_id() == pid
                                            and app.childCount), None))
    for row, (t, y) in enumerate(POINTS, start=1):
        for name, value in (("t, fila %d" % row, t), ("f(t), fila %d" % row, y)):
            find(app, name, pyatspi.ROLE_TEXT).queryEditableText().setTextContents(value)
    act(find(app, "Gráfica", pyatspi.ROLE_PUSH_BUTTON), "Press")
    act(find(app, "Mostrar el mejor ajuste", pyatspi.ROLE_CHECK_BOX), "Toggle")

    failures = []
    for control, name, figure_present in READOUTS:
        acc = find(app, name, pyatspi.ROLE_LABEL)
        if figure_present:
            wait(control + "'s figure", lambda: text_of(acc) != "")
        text = text_of(acc)
        print("%-8s name=%r text=%r" % (control, acc.name, text))
        if text is None or bool(text) != figure_present or text == name:
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
    wait("the first step", lambda: text_of(a) != start)
    act(step, "Press")
    GLib.timeout_add(20000, pyatspi.Registry.stop)
    pyatspi.Registry.start()
    after = text_of(label6)
    print("Label6 after two steps: text=%r, heard inserted %r" % (after, inserted))
    if not inserted or inserted[-1] != after:
        failures.append("Label6's new figure %r was not announced" % after)

    # "Animar" for 1.6 s: Label6 changes at every frame, sixty times a second,
    # but a screen reader is told its figure at most twice a second during the
    # run, and its last figure once as the run ends.
    pyatspi.Registry.deregisterEventListener(heard, "object:text-changed:insert")
    during_run = []

    def heard_in_run(event):
        if event.source == label6:
            during_run.append((time.monotonic(), event.any_data))

    def stop_the_run():
        act(animate, "Press")
        return False

    pyatspi.Registry.registerEventListener(heard_in_run, "object:text-changed:insert")
    animate = find(app, "Animar el descenso", pyatspi.ROLE_PUSH_BUTTON)
    act(animate, "Press")
    GLib.timeout_add(1600, stop_the_run)
    GLib.timeout_add(2600, pyatspi.Registry.stop)
    pyatspi.Registry.start()
    final = text_of(label6)
    gaps = [round(b[0] - a[0], 2) for a, b in zip(during_run, during_run[1:-1])]
    print("Label6 during a run of 1.6 s: told %d times, gaps %r, last %r, shown %r"
          % (len(during_run), gaps, during_run[-1][1] if during_run else None, final))
    if not 1 <= len(during_run) <= 5:
        failures.append("Label6 was told %d times during the run" % len(during_run))
    elif during_run[-1][1] != final or any(gap < 0.4 for gap in gaps):
        failures.append("Label6 was told too often or not its last figure")

    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)


main()
