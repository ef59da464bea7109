// Tells CorvaneNotification whether a window is full screen on the primary
// monitor. GNOME Shell shows no other program the state of Wayland-native
// windows, so the program asks here: one boolean property on the session
// bus, announced with PropertiesChanged when it changes. Nothing else about
// any window leaves the shell.
//
// Written in the extension form of GNOME Shell 43 and 44 (an init function
// returning an object with enable and disable); from 45 on extensions are
// ES modules.
'use strict';

const { Gio, GLib } = imports.gi;
const Main = imports.ui.main;

const BUS_NAME = 'io.corvane.Notification.FullScreenReport';
const OBJECT_PATH = '/io/corvane/Notification/FullScreenReport';
const INTERFACE_XML = `
<node>
  <interface name="io.corvane.Notification.FullScreenReport">
    <property name="PrimaryMonitorFullScreen" type="b" access="read"/>
  </interface>
</node>`;

class FullScreenReport {
    constructor() {
        this._fullScreen = false;
        this._exported = null;
        this._nameId = 0;
        this._connections = [];
    }

    // Read by the exported object for Get and GetAll.
    get PrimaryMonitorFullScreen() {
        return this._fullScreen;
    }

    enable() {
        this._fullScreen = this._primaryMonitorFullScreen();
        this._exported = Gio.DBusExportedObject.wrapJSObject(INTERFACE_XML, this);
        this._exported.export(Gio.DBus.session, OBJECT_PATH);
        // The name last: a program that sees it can read the property at once.
        this._nameId = Gio.bus_own_name_on_connection(
            Gio.DBus.session, BUS_NAME, Gio.BusNameOwnerFlags.NONE, null, null);
        // The display says when a monitor's full-screen state changes; the
        // layout manager when the monitors, and so the primary one, change.
        this._connect(global.display, 'in-fullscreen-changed');
        this._connect(Main.layoutManager, 'monitors-changed');
    }

    disable() {
        for (const [object, id] of this._connections)
            object.disconnect(id);
        this._connections = [];
        if (this._nameId !== 0)
            Gio.bus_unown_name(this._nameId);
        this._nameId = 0;
        if (this._exported !== null)
            this._exported.unexport();
        this._exported = null;
    }

    _connect(object, signal) {
        this._connections.push([object, object.connect(signal, () => this._update())]);
    }

    _primaryMonitorFullScreen() {
        const primary = Main.layoutManager.primaryIndex;
        return primary >= 0 && global.display.get_monitor_in_fullscreen(primary);
    }

    _update() {
        const fullScreen = this._primaryMonitorFullScreen();
        if (fullScreen === this._fullScreen)
            return;
        this._fullScreen = fullScreen;
        this._exported.emit_property_changed(
            'PrimaryMonitorFullScreen', GLib.Variant.new_boolean(fullScreen));
    }
}

/* exported init */
function init() {
    return new FullScreenReport();
}
