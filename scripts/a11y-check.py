"""Reads a running Halvoren over AT-SPI as a screen reader does; run by scripts/a11y-check.sh.

Lists every focusable control of the main window, the About box, the phone book editor, the file
locator and the configuration window with what it is read as, presses Activate, waits for the call the simulated modem places
and checks that the log's text and a text-inserted event carry the caller's number.
"""
import sys
import time

import pyatspi
from gi.repository import GLib

NUMBER = "5551234567"
failures = []
inserted = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what)
    if not ok:
        failures.append(what)


def pump(seconds, until=lambda: False):
    """Runs the main loop, so that replies and events arrive, until `until` holds or time is up."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end and not until():
        while context.pending():
            context.iteration(False)
        time.sleep(0.05)
    return until()


def walk(accessible):
    yield accessible
    for child in accessible:
        if child is not None:
            yield from walk(child)


def label_of(accessible):
    for relation in accessible.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return relation.getTarget(0).name
    return ""


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "halvoren":
            return app
    return None


def window(app, title):
    for frame in app:
        if frame is not None and frame.name == title and \
                frame.getState().contains(pyatspi.STATE_SHOWING):
            return frame
    return None


def wait_window(app, title):
    pump(10, lambda: window(app, title) is not None)
    return window(app, title)


def control(frame, name, role=pyatspi.ROLE_PUSH_BUTTON):
    for accessible in walk(frame):
        if accessible.getRole() == role and accessible.name == name:
            return accessible
    return None


def press(frame, name):
    button = control(frame, name)
    check(button is not None, f"button '{name}' found in '{frame.name}'")
    button.queryAction().doAction(0)


def list_controls(frame, title):
    print(f"-- {title}: '{frame.name}'")
    for accessible in walk(frame):
        # A list's items are read by their text; the list itself needs the name.
        if not accessible.getState().contains(pyatspi.STATE_FOCUSABLE) or \
                accessible.getRole() == pyatspi.ROLE_LIST_ITEM:
            continue
        name, label = accessible.name, label_of(accessible)
        read = f"'{name}'" + (f" labelled '{label}'" if label else "")
        check(bool(name or label), f"{accessible.getRoleName()} {read}")


def on_insert(event):
    inserted.append((event.source.name, event.detail1, event.any_data))


def main():
    if not pump(20, lambda: application() is not None):
        check(False, "halvoren on the accessibility bus")
        return 1
    app = application()
    pyatspi.Registry.registerEventListener(on_insert, "object:text-changed:insert")
    # Qt sends only the events someone listens for; it hears of the listener through the bus.
    pump(1)

    main_window = wait_window(app, "Halvoren version 1.5")
    list_controls(main_window, "main window")
    about = control(main_window, "About Halvoren")
    check(about is not None, "the \"?\" button is read as 'About Halvoren'")
    about.queryAction().doAction(0)
    about_box = wait_window(app, "About Halvoren 1.5")
    list_controls(about_box, "About box")
    press(about_box, "OK")
    pump(10, lambda: window(app, "About Halvoren 1.5") is None)

    press(main_window, "Phonebook")
    editor = wait_window(app, "Phonebook")
    list_controls(editor, "phone book editor")
    press(editor, "Locate wav file")
    locator = wait_window(app, "Locate wav files")
    list_controls(locator, "file locator")
    press(locator, "Cancel")
    pump(10, lambda: window(app, "Locate wav files") is None)
    press(editor, "Done")
    pump(10, lambda: window(app, "Phonebook") is None)

    press(main_window, "Config")
    config = wait_window(app, " Halvoren 1.5 configuration menu")
    list_controls(config, "configuration window")
    press(config, "Cancel")
    pump(10, lambda: window(app, " Halvoren 1.5 configuration menu") is None)

    print("-- Activate and a call from the modem")
    press(main_window, "Activate")
    heard = pump(40, lambda: any(NUMBER in text for _, _, text in inserted))
    for source, offset, text in inserted:
        print(f"   text-changed:insert on '{source}' at {offset}: {text!r}")
    check(heard, f"an object:text-changed:insert event carried {NUMBER}")
    log = control(main_window, "Call log", pyatspi.ROLE_TEXT)
    check(log is not None, "the log is read as 'Call log'")
    text = log.queryText()
    shown = text.getText(0, text.characterCount)
    print(f"   log text ({text.characterCount} characters): {shown!r}")
    check(NUMBER in shown, f"the log's accessible text holds {NUMBER}")
    for name in ("Total Calls", "Total Blocked"):
        counter = control(main_window, name, pyatspi.ROLE_LABEL)
        check(counter is not None, f"counter '{name}' reads '{counter.description if counter else ''}'")

    print("PASS" if not failures else f"FAIL: {len(failures)} check(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
