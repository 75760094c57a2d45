# The running program as a screen reader meets it over AT-SPI: the month
# table and its day cells, the focus following the arrow keys, the names of
# the control bar and of a dialog's fields, the day list and the group week
# as tables with headers.
# screenreader.py PIDFILE YEAR MONTH EXPECTED: PIDFILE.ready is made once
# the events are listened to, then PIDFILE is to name the program's process
# id; EXPECTED holds the lines
# "DAY<TAB>WHAT THE CELL SAYS", DAY a day of the month or "first" or "last"
# for the first and last cell; a text ending in "…" is how the cell begins.
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

pid_file, year, month, expected_file = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
pid = 0
failures = []
heard = []  # (event type, source name, detail1)


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


def pump():
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_for(what, probe, timeout=20):
    end = time.monotonic() + timeout
    while True:
        pump()
        try:
            value = probe()
        except Exception:  # an object that went away while asked
            value = None
        if value:
            return value
        if time.monotonic() > end:
            fail("timed out waiting for " + what)
            return None
        time.sleep(0.05)


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "60", *names], check=True)


def focus_window(title):
    """Gives the program's window of that title the X input focus: there is
    no window manager to do it."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                           capture_output=True, text=True).stdout.split()
    for window in found:
        name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True).stdout
        if name.rstrip("\n") == title:
            subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
            return True
    fail("no X window named %r" % title)
    return False


def walk(root, skip_tables=True):
    """Every descendant, without going into tables (their cells are many)."""
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        yield node
        if skip_tables and node is not root and node.getRole() in (
                pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE):
            continue
        try:
            stack.extend(reversed([node.getChildAtIndex(i) for i in range(node.childCount)]))
        except Exception:
            pass


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def record(event):
    try:
        heard.append((event.type, event.source.name, event.detail1))
    except Exception:
        pass


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def month_table(app):
    for node in walk(app):
        if node.getRole() == pyatspi.ROLE_TABLE and showing(node):
            table = node.queryTable()
            if table.nColumns == 7 and table.getColumnDescription(0) == "日":
                return node
    return None


def cells(table_node):
    table = table_node.queryTable()
    return [table.getAccessibleAt(r, c) for r in range(table.nRows) for c in range(table.nColumns)]


def focused_cell(table_node):
    for cell in cells(table_node):
        if cell.getState().contains(pyatspi.STATE_FOCUSED):
            return cell
    return None


def header_names(table_node):
    table = table_node.queryTable()
    names = []
    for c in range(table.nColumns):
        header = table.getColumnHeader(c)
        names.append(header.name if header is not None else table.getColumnDescription(c))
    return names


def modal_window(app, frame):
    for window in app:
        if window is not None and window != frame and showing(window) and window.getRole() in (
                pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT, pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW):
            return window
    return None


pyatspi.Registry.registerEventListener(record, "object:state-changed:focused")
pyatspi.Registry.registerEventListener(record, "object:property-change:accessible-name")
pump()
# Qt asks the registry which events anyone listens to when its bridge
# starts: the listeners come first.
open(pid_file + ".ready", "w").write("ready\n")


def started():
    try:
        return int(open(pid_file).read())
    except (OSError, ValueError):
        return 0


pid = wait_for("the program started", started)

app = wait_for("the program on the accessibility bus", application, 60)
if app is None:
    sys.exit(1)
frame = wait_for("the main window", lambda: next((w for w in app if w.getRole() == pyatspi.ROLE_FRAME and showing(w)), None))
# A fresh home greets the user first; Enter answers it.
end = time.monotonic() + 5
while time.monotonic() < end and modal_window(app, frame) is None:
    pump()
    time.sleep(0.1)
greeting = modal_window(app, frame)
if greeting is not None:
    print("GREETING: %s" % greeting.name)
    focus_window(greeting.name)
    key("Return")
    wait_for("the greeting closed", lambda: modal_window(app, frame) is None)
grid = wait_for("the month table", lambda: month_table(app))
if grid is None:
    sys.exit(1)

# The table: its name the month, seven weekday headers, the cells' dates.
title = "%d年%d月" % (year, month)
if not grid.name.startswith(title):
    fail("the table is named %r, not after %s" % (grid.name, title))
headers = header_names(grid)
if headers != ["日", "月", "火", "水", "木", "金", "土"]:
    fail("column headers %r" % headers)
names = [cell.name for cell in cells(grid)]
by_day = {}
for name in names:
    if name.startswith("%d月" % month):
        by_day[int(name.split("月")[1].split("日")[0])] = name
for line in open(expected_file, encoding="utf-8").read().splitlines():
    day, start = line.split("\t", 1)
    said = names[0] if day == "first" else names[-1] if day == "last" else by_day.get(int(day), "")
    print("CELL %s: %s" % (day, said))
    if not (said.startswith(start[:-1]) if start.endswith("…") else said == start):
        fail("the cell %s says %r, not %r" % (day, said, start))

# The focus: a cell takes it through its action (the selected one, or
# today's, the 13th, before the user picked a day), then the arrow keys
# move it, and each move is heard as a focus event.
focus_window(frame.name)
selected = next((c for c in cells(grid) if c.getState().contains(pyatspi.STATE_SELECTED)), None)
if selected is None:
    selected = next(c for c in cells(grid) if c.name.startswith("%d月13日" % month))
action = selected.queryAction()
action.doAction(next(i for i in range(action.nActions) if action.getName(i) == "SetFocus"))
wait_for("the selected cell focused", lambda: focused_cell(grid) is not None and focused_cell(grid).name == selected.name)
start = cells(grid).index(next(c for c in cells(grid) if c.name == selected.name))
for keys, step in ((["Right"], 1), (["Down"], 7), (["Left", "Left"], -2), (["Up"], -7)):
    before = len(heard)
    target = names[start + step] if 0 <= start + step < len(names) else None
    key(*keys)
    if target is None:
        continue
    if not wait_for("focus on %s after %s" % (target, "+".join(keys)),
                    lambda: any(t.startswith("object:state-changed:focused") and n == target and d == 1
                                for t, n, d in heard[before:])):
        print("heard: %r" % heard[before:])
    cell = focused_cell(grid)
    print("FOCUS after %s: %s" % ("+".join(keys), cell and cell.name))
    if cell is None or cell.name != target:
        fail("after %s the focused cell is %r, not %r" % (keys, cell and cell.name, target))
    start += step

# A change of month renames the table, and the screen reader hears it.
next_title = "%d年%d月" % (year + month // 12, month % 12 + 1)
before = len(heard)
key("F8")
if not wait_for("the table renamed %s" % next_title,
         lambda: any(t.startswith("object:property-change:accessible-name") and n.startswith(next_title)
                     for t, n, d in heard[before:])):
    print("heard: %r; the table says %r" % (heard[before:], month_table(app) and month_table(app).name))
key("F7")
wait_for("the table back at %s" % title, lambda: month_table(app) is not None and month_table(app).name.startswith(title))
grid = month_table(app)

# Every control of the window outside the calendar has a name; a button
# showing only an icon tells its key in its description.
controls = [n for n in walk(frame) if n.getRole() in (
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_RADIO_BUTTON) and showing(n)]
buttons = [n for n in controls if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]
print("CONTROLS: " + " | ".join("%s=%s" % (n.getRoleName(), n.name) for n in controls))
if len(buttons) < 5:
    fail("only %d buttons in the window" % len(buttons))
for n in controls:
    if not n.name.strip():
        fail("a %s without a name" % n.getRoleName())
if not any("F8" in n.description for n in buttons):
    fail("no button tells its key (F8) in its description")


def popup():
    """The open menu, below its item in the menu bar."""
    return next((n for n in walk(frame) if n.getRole() == pyatspi.ROLE_POPUP_MENU and showing(n)), None)


def check_dialog(what, open_keys, check, close=True):
    focus_window(frame.name)
    if open_keys[0] == "menu":
        # Without a window manager Qt now and then closes a menu as it
        # opens (the focus events show it open, then gone): try again.
        for attempt in range(3):
            before = len(heard)
            subprocess.run(["xdotool", "keydown", "alt", "key", open_keys[1]], check=True)
            end = time.monotonic() + 3
            while time.monotonic() < end and popup() is None:
                pump()
                time.sleep(0.05)
            if popup() is not None:
                break
            subprocess.run(["xdotool", "keyup", "alt"], check=True)
            print("MENU closed as it opened, again: %r" % heard[before:])
        subprocess.run(["xdotool", "key", open_keys[2], "keyup", "alt"], check=True)
    else:
        key(*open_keys)
    dialog = wait_for(what, lambda: modal_window(app, frame))
    if dialog is None:
        print("windows: %r" % [(w.getRoleName(), w.name, w.getState().getStates()) for w in app])
        return
    print("%s: %s" % (what.upper(), dialog.name))
    check(dialog)
    if not close:
        return
    focus_window(dialog.name)
    key("Escape")
    wait_for(what + " closed", lambda: modal_window(app, frame) is None)


def fields_named(dialog):
    fields = [n for n in walk(dialog) if n.getRole() in (
        pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_TEXT,
        pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_SLIDER)]
    print("FIELDS: " + " | ".join("%s=%s" % (n.getRoleName(), n.name) for n in fields))
    if len(fields) < 3:
        fail("only %d fields in %r" % (len(fields), dialog.name))
    for n in fields:
        if not n.name.strip():
            fail("a %s without a name in %r" % (n.getRoleName(), dialog.name))


def table_with_headers(dialog):
    # Qt gives a list of several columns the role tree, with the table
    # interface and its headers as a table has them.
    tables = [n for n in walk(dialog) if n.getRole() in (pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE)]
    if not tables:
        fail("no table in %r: %r" % (dialog.name, [(n.getRoleName(), n.name) for n in walk(dialog)]))
        return
    names = header_names(tables[0])
    print("HEADERS of a %s: %r" % (tables[0].getRoleName(), names))
    if len(names) < 2 or not all(names):
        fail("the table of %r has the headers %r" % (dialog.name, names))


check_dialog("the options", ["menu", "v", "o"], fields_named)
# The day list of the day the cursor is on: Enter in the calendar.
check_dialog("the day list", ["Return"], table_with_headers)
# A window beside the main one: the window manager would close it.
check_dialog("the group week", ["ctrl+shift+g"], table_with_headers, close=False)

print("%d failures" % len(failures))
sys.exit(1 if failures else 0)
