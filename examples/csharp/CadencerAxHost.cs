// A hand-written AxHost for cadencer.ocx: the control sited in a WinForms container, its
// properties and methods reached late-bound (dynamic, through IDispatch), and its events
// sunk through the control's connection point as .NET events.
using System;
using System.ComponentModel;
using System.Runtime.InteropServices;
using System.Windows.Forms;

namespace CadencerHost
{
    // The control's event interface __Cadencer (a dispinterface): DISPIDs as in the type library.
    [ComImport, Guid("E962FE90-66FC-4A82-B06D-C69C043DEE76"), InterfaceType(ComInterfaceType.InterfaceIsIDispatch)]
    public interface ICadencerEvents
    {
        [DispId(1)] void HelpButtonClicked();
        [DispId(2)] void ScheduleChanged();
        [DispId(3)] void SchedulerClosed();
        [DispId(4)] void ScheduledTime(ref DateTime dateTime);
    }

    public class ScheduledTimeEventArgs : EventArgs
    {
        public ScheduledTimeEventArgs(DateTime dateTime) { DateTime = dateTime; }
        public DateTime DateTime { get; }
    }

    [ToolboxItem(false)]
    public class CadencerControl : AxHost
    {
        private ConnectionPointCookie cookie;

        // CLSID of CadencerLib.Cadencer.
        public CadencerControl() : base("243ac4c2-0386-444a-9d31-f34d971a1cab") { }

        public event EventHandler ScheduleChanged;
        public event EventHandler SchedulerClosed;
        public event EventHandler HelpButtonClicked;
        public event EventHandler<ScheduledTimeEventArgs> ScheduledTime;

        private dynamic Ocx => GetOcx() ?? throw new InvalidOperationException("The control is not created yet.");

        // Occurs: 0 Never, 1 Daily, 2 Weekly, 3 Monthly, 4 Every.
        public int OccursOption { get => Ocx.OccursOption; set => Ocx.OccursOption = value; }
        public short StartHour { get => Ocx.StartHour; set => Ocx.StartHour = value; }
        public short StartMinute { get => Ocx.StartMinute; set => Ocx.StartMinute = value; }
        // Seven characters, Sunday first: "0100010" is Monday and Friday.
        public string SelectionsWeekly { get => Ocx.SelectionsWeekly; set => Ocx.SelectionsWeekly = value; }
        public string SelectionsMonthly { get => Ocx.SelectionsMonthly; set => Ocx.SelectionsMonthly = value; }
        // EveryType: 0 Hours, 1 Minutes.
        public int EveryFrequency { get => Ocx.EveryFrequency; set => Ocx.EveryFrequency = value; }
        public short EveryInterval { get => Ocx.EveryInterval; set => Ocx.EveryInterval = value; }
        public DateTime StartDate { get => Ocx.StartDate; set => Ocx.StartDate = value; }
        public DateTime EndDate { get => Ocx.EndDate; set => Ocx.EndDate = value; }
        public bool UseEndDate { get => Ocx.UseEndDate; set => Ocx.UseEndDate = value; }
        public string Title { get => Ocx.Title; set => Ocx.Title = value; }
        public bool Modal { get => Ocx.Modal; set => Ocx.Modal = value; }
        public DateTime NextScheduledTime => Ocx.NextScheduledTime;
        public DateTime LastScheduledTime { get => Ocx.LastScheduledTime; set => Ocx.LastScheduledTime = value; }

        public void DisplayScheduler() => Ocx.DisplayScheduler();
        public void Execute() => Ocx.Execute();

        protected override void CreateSink()
        {
            cookie = new ConnectionPointCookie(GetOcx(), new EventSink(this), typeof(ICadencerEvents));
        }

        protected override void DetachSink()
        {
            cookie?.Disconnect();
            cookie = null;
        }

        // The sink is called on the form's thread (the control is apartment-threaded).
        [ComVisible(true), ClassInterface(ClassInterfaceType.None)]
        public class EventSink : ICadencerEvents
        {
            private readonly CadencerControl owner;
            public EventSink(CadencerControl owner) { this.owner = owner; }
            public void HelpButtonClicked() => owner.HelpButtonClicked?.Invoke(owner, EventArgs.Empty);
            public void ScheduleChanged() => owner.ScheduleChanged?.Invoke(owner, EventArgs.Empty);
            public void SchedulerClosed() => owner.SchedulerClosed?.Invoke(owner, EventArgs.Empty);
            public void ScheduledTime(ref DateTime dateTime) =>
                owner.ScheduledTime?.Invoke(owner, new ScheduledTimeEventArgs(dateTime));
        }
    }
}
