// Every text a user of Cadencer reads, one identifier each, in the order every language's
// table lists them. X(Identifier, Form): Form is Plain (one text), Count (one pattern per
// cardinal plural category of the language, chosen by a number) or Rank (one pattern per
// ordinal category: "1st", "2nd"). A pattern's placeholders are {1} to {9}; what each
// stands for is said here, and a translation may use them in any order.
#pragma once

// clang-format off
#define CADENCER_TEXTS(X)                                                                       \
    /* The schedule dialog. */                                                                  \
    X(DialogTitle, Plain)            /* the Title property's default */                         \
    X(OccursNever, Plain)                                                                       \
    X(OccursDaily, Plain)                                                                       \
    X(OccursWeekly, Plain)                                                                      \
    X(OccursMonthly, Plain)                                                                     \
    X(OccursEvery, Plain)                                                                       \
    X(UnitHours, Plain)                                                                         \
    X(UnitMinutes, Plain)                                                                       \
    X(LabelTime, Plain)                                                                         \
    X(LabelStart, Plain)                                                                        \
    X(OptionEnd, Plain)                                                                         \
    X(OptionNoEndDate, Plain)                                                                   \
    X(LabelWeeklyEvery, Plain)       /* painted before the weekdays */                          \
    X(LabelByCalendarDate, Plain)    /* painted over the days of the month */                   \
    X(ButtonOK, Plain)               /* CaptionOKButtonBefore/After's default */                \
    X(ButtonClose, Plain)            /* CaptionCloseButtonBefore's default */                   \
    X(ButtonCancel, Plain)           /* CaptionCloseButtonAfter's default */                    \
    X(ButtonHelp, Plain)             /* CaptionHelpButton's default */                          \
    X(FrameOccurs, Plain)                                                                       \
    X(FrameExecution, Plain)                                                                    \
    X(FrameWeekly, Plain)                                                                       \
    X(FrameMonthly, Plain)                                                                      \
    X(HintOccurs, Plain)             /* status bar, pointer over a frame or button */           \
    X(HintExecution, Plain)                                                                     \
    X(HintWeekly, Plain)                                                                        \
    X(HintMonthly, Plain)                                                                       \
    X(HintOK, Plain)                                                                            \
    X(HintCancel, Plain)                                                                        \
    X(PanelDescription, Plain)       /* status bar panels' tool tips */                         \
    X(PanelDate, Plain)                                                                         \
    X(PanelTime, Plain)                                                                         \
    X(ErrorStartAfterEnd, Plain)                                                                \
    X(ErrorNoWeekday, Plain)                                                                    \
    X(ErrorNoCalendarDate, Plain)                                                               \
    X(WarningNoEvents, Plain)                                                                   \
    /* Accessible names. */                                                                     \
    X(NameDay, Plain)                /* {1}: a day of the month, "Day {1}" */                   \
    X(NameUnit, Plain)               /* the unit list while it has no selection */              \
    X(NameUnitOf, Plain)             /* {1}: OccursEvery, {2}: the unit shown */                \
    X(NameEveryNumber, Plain)        /* {1}: OccursEvery, {2}: the unit shown */                \
    X(NameWeekdays, Plain)           /* the group of weekday boxes */                           \
    X(NameCalendarDates, Plain)      /* the group of day-of-month boxes */                      \
    X(NameSpinUp, Plain)             /* Digitfield's spinner arrows and their action */         \
    X(NameSpinDown, Plain)                                                                      \
    X(NameSpinPress, Plain)                                                                     \
    /* The about box. */                                                                        \
    X(AboutCaption, Plain)           /* {1}: the library's title */                             \
    X(AboutVersion, Plain)           /* {1}: major.minor */                                     \
    X(AboutVersionUnknown, Plain)                                                               \
    X(AboutDescription, Plain)                                                                  \
    X(AboutDisclaimer, Plain)                                                                   \
    X(AboutWebSite, Plain)                                                                      \
    X(AboutEmailTip, Plain)                                                                     \
    X(AboutWebTip, Plain)                                                                       \
    X(AboutOK, Plain)                                                                           \
    X(AboutSysInfo, Plain)                                                                      \
    X(AboutMailFailure, Plain)                                                                  \
    X(AboutSysInfoUnavailable, Plain)                                                           \
    /* The property pages. */                                                                   \
    X(PageSchedule, Plain)                                                                      \
    X(PageSummary, Plain)                                                                       \
    X(PageNothingDue, Plain)                                                                    \
    X(PageNextDue, Plain)            /* {1}: date, {2}: time */                                 \
    X(PageDialog, Plain)                                                                        \
    X(PageTexts, Plain)                                                                         \
    X(PageTitle, Plain)                                                                         \
    X(PageOKBefore, Plain)                                                                      \
    X(PageOKAfter, Plain)                                                                       \
    X(PageCloseBefore, Plain)                                                                   \
    X(PageCloseAfter, Plain)                                                                    \
    X(PageHelpButton, Plain)                                                                    \
    X(PageBehaviour, Plain)                                                                     \
    X(PageEnabled, Plain)                                                                       \
    X(PageModal, Plain)                                                                         \
    X(PageShowHelp, Plain)                                                                      \
    X(PageStartUpPosition, Plain)                                                               \
    X(PagePositionManual, Plain)                                                                \
    X(PagePositionCenter, Plain)                                                                \
    X(PageLeft, Plain)                                                                          \
    X(PageTop, Plain)                                                                           \
    X(PageLeftNotWhole, Plain)                                                                  \
    X(PageTopNotWhole, Plain)                                                                   \
    /* The schedule in words. {time}: the start time, {range}: RangeOpen or RangeClosed. */     \
    X(WordsNever, Plain)                                                                        \
    X(WordsDaily, Plain)             /* {1}: time, {2}: range */                                \
    X(WordsWeekly, Plain)            /* {1}: weekday list, {2}: time, {3}: range */             \
    X(WordsWeeklyNone, Plain)                                                                   \
    X(WordsMonthly, Plain)           /* {1}: list of DayRank, {2}: time, {3}: range */          \
    X(WordsMonthlyNone, Plain)                                                                  \
    X(WordsEveryHours, Count)        /* {1}: the number */                                      \
    X(WordsEveryMinutes, Count)                                                                 \
    X(WordsEveryHoursNever, Count)   /* {1}: zero or less */                                    \
    X(WordsEveryMinutesNever, Count)                                                            \
    X(WordsEveryUnknownUnit, Plain)  /* {1}: the number */                                      \
    X(WordsUnknownKind, Plain)       /* {1}: the OccursOption value */                          \
    X(WordsRangeOpen, Plain)         /* {1}: start date */                                      \
    X(WordsRangeClosed, Plain)       /* {1}: start date, {2}: end date */                       \
    X(WordsInvalidDate, Plain)                                                                  \
    X(WordsListComma, Plain)         /* between items of a list but the last two */             \
    X(WordsListAnd, Plain)           /* between the last two items */                           \
    X(DayRank, Rank)                 /* {1}: a day of the month */
// clang-format on
